#pragma once
// Where "export FILE" writes: standard output, or with --output a file that
// is replaced only when the export is complete (records/record_export.h
// hands the text on in pieces).
#include "records/record_csv.h"

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>
#include <cstdio>
#include <memory>

namespace vx::cli
{

class ExportOutput
{
public:
    // path empty: standard output (out).
    ExportOutput(const QString& path, std::FILE* out);
    // Starts the file's new version; false when it cannot (see error()).
    bool open();
    bool write(QByteArrayView bytes);
    // Puts the file in place (standard output: flushes it); false when it cannot.
    bool finish();
    // "Unable to write to <path>"
    QString error() const;
    // Whether what is written can be taken back (a file until finish()).
    bool to_file() const { return !path_.isEmpty(); }

private:
    QString path_;
    std::FILE* out_;
    std::unique_ptr<QSaveFile> file_;
};

// "export FILE --csv": the records of file as CSV (options as records_to_csv
// takes them, the clock notes read here) to output, or to out when output is
// empty. Exit status 1, with the reason on err, when the file cannot be read
// or the output written.
int export_csv(const QString& file, CsvOptions options, const QString& output, std::FILE* out,
               std::FILE* err);

} // namespace vx::cli
