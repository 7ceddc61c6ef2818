// The output of "export FILE" and the CSV export itself (see export_output.h).
#include "cli/export_output.h"

#include "base/printable.h"
#include "base/safe_file.h"
#include "cli/commands.h"
#include "records/record_export.h"
#include "records/record_source.h"

#include <QFile>
#include <QFileInfo>

namespace vx::cli
{

ExportOutput::ExportOutput(const QString& path, std::FILE* out) : path_(path), out_(out) {}

bool ExportOutput::open()
{
    if (!to_file()) return true;
    file_ = std::make_unique<QSaveFile>(path_);
    return file_->open(QIODevice::WriteOnly);
}

bool ExportOutput::write(QByteArrayView bytes)
{
    if (!to_file()) {
        std::fwrite(bytes.data(), 1, static_cast<std::size_t>(bytes.size()), out_);
        return true;
    }
    return file_->write(bytes.data(), bytes.size()) == bytes.size();
}

bool ExportOutput::finish()
{
    if (!to_file()) {
        std::fflush(out_);
        return true;
    }
    return file_->commit();
}

QString ExportOutput::error() const
{
    return QStringLiteral("Unable to write to %1").arg(path_);
}

int export_csv(const QString& file, CsvOptions options, const QString& output, std::FILE* out, std::FILE* err)
{
    auto failed = [err](const QString& why) {
        std::fputs(
            (printable(QStringLiteral("vorlanix-cli: ") + why) + QLatin1Char('\n')).toLocal8Bit().constData(),
            err);
        std::fflush(err);
        return exit_failed;
    };
    QFile f;
    // A device or a pipe may never end.
    if (const QString why = open_regular_file(f, file, QIODevice::ReadOnly, Links::follow); !why.isEmpty())
        return failed(QStringLiteral("cannot read %1: %2").arg(file, why));
    options.clock_notes = RecordSourceStore().clock_notes(QFileInfo(file).fileName());
    ExportOutput to(output, out);
    if (!to.open()) return failed(to.error());
    const StreamedExport csv =
        stream_csv(f, options, [&to](QByteArrayView bytes) { return to.write(bytes); });
    if (!csv.error.isEmpty()) return failed(QStringLiteral("cannot read %1: %2").arg(file, csv.error));
    if (csv.sink_failed || !to.finish()) return failed(to.error());
    return exit_ok;
}

} // namespace vx::cli
