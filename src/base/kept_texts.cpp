#include "base/kept_texts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace vx
{

QString kept_texts_path(const QString& program_dir)
{
    return program_dir + QStringLiteral("vorlanix-kept.json");
}

bool write_kept_texts(const QString& program_dir, const QList<KeptText>& texts, QString* error)
{
    QJsonArray list;
    for (const KeptText& t : texts)
        list.append(QJsonObject{{"caption", t.caption}, {"file", t.file_name}, {"text", t.text}});
    const QByteArray bytes = QJsonDocument(list).toJson(QJsonDocument::Compact);
    QSaveFile file(kept_texts_path(program_dir));
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
    if (error) *error = QStringLiteral("Unable to write to %1").arg(file.fileName());
    return false;
}

QList<KeptText> read_kept_texts(const QString& program_dir)
{
    QFile file(kept_texts_path(program_dir));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QList<KeptText> out;
    for (const QJsonValue& v : QJsonDocument::fromJson(file.readAll()).array()) {
        const QJsonObject o = v.toObject();
        out.append({o.value("caption").toString(), o.value("file").toString(), o.value("text").toString()});
    }
    return out;
}

bool remove_kept_texts(const QString& program_dir)
{
    const QString path = kept_texts_path(program_dir);
    return !QFile::exists(path) || QFile::remove(path);
}

} // namespace vx
