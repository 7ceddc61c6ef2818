#include "logger/download.h"

#include "base/store_lock.h"
#include "base/ui_port.h"
#include "link/bytes.h"
#include "logger/audit_log.h"
#include "logger/live.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "records/marks.h"
#include "records/record_file.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

namespace vx
{

namespace
{

constexpr std::uint16_t old_format_type = 55;

// Ends a flow on every path: the flag that keeps a second flow out, and the
// poll timer, which every flow stops while it talks to the logger.
class FlowGuard
{
public:
    FlowGuard(bool& busy, DownloadHost& host) : busy_(busy), host_(host)
    {
        busy_ = true;
        host_.stop_poll();
    }
    ~FlowGuard()
    {
        busy_ = false;
        host_.start_poll();
    }
    FlowGuard(const FlowGuard&) = delete;
    FlowGuard& operator=(const FlowGuard&) = delete;

private:
    bool& busy_;
    DownloadHost& host_;
};

QString progress_text(int done, int n)
{
    return QStringLiteral("%1 / %2").arg(done).arg(n);
}

DownloadOutcome outcome_of(const TransferResult& r, bool sorted)
{
    if (r.write_failed) return DownloadOutcome::write_failed;
    if (r.mark_failed) return DownloadOutcome::mark_failed;
    if (r.failed) return DownloadOutcome::failed;
    if (r.cancelled) return DownloadOutcome::cancelled;
    return sorted ? DownloadOutcome::done : DownloadOutcome::sort_failed;
}

} // namespace

Download::Download(Global& g, DownloadHost& host) : g_(g), host_(host) {}

QString Download::mess(int n) const
{
    return g_.lang.mess(n);
}

void Download::message(const QString& text)
{
    if (g_.ui) g_.ui->show_message(text, btn::ok);
}

int Download::read_mark(const QString& name) const
{
    return MarkStore().read_mark(name);
}

bool Download::write_mark(const QString& name, int mark)
{
    QString error;
    {
        const StoreLock lock(g_.program_dir);
        if (MarkStore().write_mark(name, mark, &error)) return true;
    }
    // Without its mark a mission's records are fetched again, or, met for
    // the first time, never: that must not pass unnoticed.
    if (problem_.isEmpty()) {
        problem_ = mess(56).arg(name, error);
        message(problem_);
    }
    return false;
}

TransferResult Download::transfer(int n, RecordSink* window)
{
    TransferResult r;
    r.requested = n;
    const int ring = g_.ident.ring_size;
    UiPort* ui = g_.ui;
    // Inside a flow the flow owns the poll timer; called on its own, the
    // transfer stops it and runs it again at the end.
    const bool standalone = !busy_;

    host_.stop_poll();
    g_.link.show_progress(mess(45));
    if (ui) {
        ui->progress_label(mess(191) + progress_text(0, n));
        ui->progress_range(std::max(n, 0));
        ui->progress_position(0);
        ui->progress_clear_log();
    }

    // Block addresses count in records of the attached model.
    g_.link.record_length = g_.ident.record_length;
    const QString mission = g_.status.mission_name;
    const auto blocks = plan_blocks(newest_start(g_.status.record_pointer, n, ring), n, ring);
    for (const BlockSpan& b : blocks) {
        bool read = false;
        for (int attempt = 0; attempt < block_reads && !g_.link.comm_abort; ++attempt) {
            if (g_.link.read_block(b.position)) {
                read = true;
                break;
            }
        }
        if (!read) {
            // The mark stays at this block: the next download starts here again.
            if (g_.transfer.store_marks && !write_mark(mission, b.position)) r.mark_failed = true;
            if (g_.link.comm_abort) {
                r.cancelled = true;
            } else {
                r.failed = true;
                message(mess(193));
            }
            break;
        }

        ShowResult shown{};
        if (window) shown = show_records(g_, view(g_.link.rx_buffer), b.count, *window);
        if (shown.write_failed) {
            // Records that did not reach the database file are fetched again next time.
            if (g_.transfer.store_marks && !write_mark(mission, b.position)) r.mark_failed = true;
            r.write_failed = true;
            break;
        }
        r.fetched += b.count;
        if (g_.transfer.write_to_database) stored_ += shown.accepted;
        if (g_.transfer.store_marks && !write_mark(mission, mark_after(b))) {
            r.mark_failed = true;
            break;
        }

        if (ui) {
            ui->progress_label(mess(191) + progress_text(r.fetched, n));
            ui->progress_log(progress_text(r.fetched, n));
            ui->progress_position(r.fetched);
        }
        if (g_.link.comm_abort) {
            r.cancelled = r.fetched < n;
            break;
        }
    }

    g_.link.rx_buffer.clear();
    if (standalone) host_.start_poll();
    if (ui) ui->progress_hide();
    return r;
}

DownloadOutcome Download::pointer_check()
{
    const QString ptr = host_.pointer_text();
    if (ptr.isEmpty()) {
        message(mess(5));
        return DownloadOutcome::no_logger;
    }
    if (ptr.contains(QStringLiteral("Err")) ||
        (g_.ident.type_code != old_format_type && g_.status.record_pointer < 0)) {
        message(mess(6));
        return DownloadOutcome::broken_pointer;
    }
    return DownloadOutcome::done;
}

QString Download::held_text() const
{
    const HeldRecords held = records_held(g_.status.record_pointer, g_.ident.ring_size, g_.status.rollover);
    if (held.least == held.most) return QString::number(held.least);
    return mess(198).arg(held.least).arg(held.most);
}

DownloadOutcome Download::first_mark(const QString& mission, int pointer, bool from_check)
{
    if (!host_.confirm_first_contact(mission, pointer)) return DownloadOutcome::not_registered;
    // A pointer just past the end of the ring names position 0.
    if (!write_mark(mission, ring_position(pointer, g_.ident.ring_size))) return DownloadOutcome::mark_failed;
    // From now on "Prenos" fetches only what comes after this mark: the user
    // learns here how to reach what the logger already holds.
    const QString notice = mess(10) + QStringLiteral("\r\n") + mess(200).arg(held_text());
    if (!from_check || !host_.ask_later(notice, btn::ok, {})) message(notice);
    return DownloadOutcome::first_contact;
}

RecordSink* Download::open_window(const QString& caption, const QString& name)
{
    RecordSink* window = host_.open_text_window(caption, mess(204) + name);
    // Never a save dialog without a name: the mission (or serial number) and
    // the time of the download, beside the record files.
    const QString stamp = g_.now().toString(QStringLiteral("'-'yyyyMMdd'-'hhmm"));
    host_.propose_file_name(window, QDir(g_.settings.LOGDIR).filePath(name + stamp + QStringLiteral(".txt")));
    return window;
}

void Download::begin_flow(bool newest)
{
    problem_.clear();
    last_sort_ = {};
    newest_ = newest;
    requested_ = stored_ = 0;
    digest_.clear();
}

DownloadOutcome Download::audited(DownloadOutcome outcome)
{
    using D = DownloadOutcome;
    QString reason;
    switch (outcome) {
    case D::done:
    case D::nothing_new:
    case D::first_contact:
        break;
    case D::failed:
        reason = QStringLiteral("the logger stopped answering");
        break;
    case D::write_failed:
        reason = QStringLiteral("the record file could not be written");
        break;
    case D::mark_failed:
        reason = QStringLiteral("the download mark could not be stored");
        break;
    case D::sort_failed:
        reason = QStringLiteral("the record file could not be sorted: ") + last_sort_.error;
        break;
    case D::cancelled:
        reason = QStringLiteral("cancelled");
        break;
    case D::broken_pointer:
        reason = QStringLiteral("the logger's record pointer is broken");
        break;
    case D::no_name:
        reason = QStringLiteral("the logger did not send its mission name");
        break;
    default: // the logger was not asked for records
        return outcome;
    }
    AuditEntry e = logger_entry(g_, audit_action::download);
    e.detail(QStringLiteral("kind"), newest_ ? QStringLiteral("newest") : QStringLiteral("new"))
        .detail(QStringLiteral("records"), stored_);
    if (requested_ > 0) e.detail(QStringLiteral("requested"), requested_);
    // A logger met for the first time got its record pointer as its mark.
    if (outcome == D::first_contact) e.detail(QStringLiteral("first_contact"), true);
    if (!newest_ && g_.ident.type_code != old_format_type)
        e.detail(QStringLiteral("mark"), read_mark(g_.status.mission_name));
    if (stored_ > 0)
        e.detail(QStringLiteral("file"), attached_record_file(g_)).detail(QStringLiteral("digest"), digest_);
    if (!reason.isEmpty()) e.fail(reason);
    record_audit(g_, e);
    return outcome;
}

void Download::check_new_records()
{
    if (busy_ || !g_.coef.humidity_block_valid) return;
    FlowGuard guard(busy_, host_);
    begin_flow(false);

    const int ring = g_.ident.ring_size;
    const int pointer = g_.status.record_pointer;
    if (pointer < 1 || pointer > ring) return;

    const QString mission = g_.status.mission_name;
    const int mark = read_mark(mission);
    if (mark < 0 || mark > ring) {
        // A mark the store refused is not tried again by this check, which
        // runs every few seconds; "Prenos" (F5) tries again and says why.
        if (refused_marks_.contains(mission)) return;
        if (first_mark(mission, pointer, true) == DownloadOutcome::mark_failed)
            refused_marks_.insert(mission);
        return;
    }
    const int count = count_new_records(mark, pointer, ring);
    host_.set_new_records_text(QString::number(count));
    if (count == 0) host_.withdraw_question();
    if (count == 0 || g_.transfer.already_asked) return;

    // A question that waits must not stop the live readings: the host asks
    // beside them where it can, and the download starts once it is answered.
    const QString question = mess(18) + QString::number(count) + mess(19);
    if (host_.ask_later(question, btn::yes | btn::no, [this](int answer) { answer_offer(answer); })) return;
    const int answer = g_.ui ? g_.ui->show_message(question, btn::yes | btn::no) : mr::no;
    if (answer == mr::yes)
        audited(new_records_steps(true));
    else
        g_.transfer.already_asked = true;
}

void Download::answer_offer(int answer)
{
    if (answer != mr::yes) {
        g_.transfer.already_asked = true;
        return;
    }
    // Answered while another flow runs: the next check offers again.
    if (busy_) return;
    // The poll stops here, after the exchange it has under way.
    FlowGuard guard(busy_, host_);
    problem_.clear();
    new_records_steps(true);
}

DownloadOutcome Download::new_records()
{
    if (busy_) return DownloadOutcome::busy;
    FlowGuard guard(busy_, host_);
    begin_flow(false);
    host_.set_status_text(QString());
    DownloadOutcome outcome = pointer_check();
    if (outcome == DownloadOutcome::done)
        outcome = g_.ident.type_code == old_format_type ? old_new_records() : new_records_steps(false);
    return audited(outcome);
}

DownloadOutcome Download::new_records_steps(bool from_check)
{
    if (!g_.link.read_misname()) return DownloadOutcome::no_name;
    const QString mission = g_.link.mission_name;
    g_.status.mission_name = mission;
    host_.show_mission_name(mission);

    const int ring = g_.ident.ring_size;
    const int pointer = g_.status.record_pointer;
    const int mark = read_mark(mission);
    if (mark < 0 || mark > ring) return first_mark(mission, pointer);
    const int count = count_new_records(mark, pointer, ring);
    requested_ = count;
    if (count == 0) {
        message(mess(11));
        return DownloadOutcome::nothing_new;
    }

    RecordSink* window = open_window(g_.lang.capt(201), mission);
    const qint64 size_before = record_file_size();
    g_.transfer.record_counter = 0;
    g_.transfer.write_to_database = true;
    g_.transfer.store_marks = true;
    const TransferResult r = transfer(count, window);
    host_.set_window_modified(window, false);
    g_.transfer.write_to_database = false;
    // What is left is what the stored mark still counts as new.
    host_.set_new_records_text(QString::number(count - r.fetched));
    const bool sorted = finish(window, from_check, r.fetched > 0, size_before);
    return outcome_of(r, sorted);
}

qint64 Download::record_file_size() const
{
    return QFileInfo(attached_record_file(g_)).size();
}

bool Download::finish(RecordSink* window, bool from_check, bool appended, qint64 size_before)
{
    const int counter = g_.transfer.record_counter;
    host_.set_status_text(record_count_text(g_.lang, counter));
    bool sorted = true;
    if (counter != 0) {
        // When not even the first block reached the file, it is as it was.
        if (appended) {
            // Its store sits beside the marks': after a mark that could not be
            // stored, a second message would only repeat the first.
            const bool store_failed = !problem_.isEmpty();
            if (!store_failed) note_record_source(g_);
            sorted = sort_file(size_before);
            // The file as the download left it, sorted or not.
            digest_ = note_file_digest(g_, attached_record_file(g_), audit_action::download, !store_failed);
        }
        host_.refresh_database_browser();
    }
    if (!from_check || counter != 0) host_.redraw_graph(window);
    return sorted;
}

bool Download::sort_file(qint64 appended_from)
{
    const SortResult r = sort_after_download(g_, appended_from);
    last_sort_ = r;
    const QString path = attached_record_file(g_);
    if (sort_worth_recording(r)) record_audit(g_, sort_entry(path, r));
    if (!r.failed) {
        // Nothing is dropped, but what the user may not expect is said.
        QStringList notes;
        if (r.new_shared_stamps > 0) notes << mess(174).arg(r.new_shared_stamps);
        if (r.undated > 0) notes << mess(175).arg(r.undated).arg(path);
        if (!notes.isEmpty()) message(notes.join(QStringLiteral("\r\n\r\n")));
        return true;
    }
    const QString text = mess(57).arg(path, r.error);
    if (problem_.isEmpty()) problem_ = text;
    message(text);
    return false;
}

DownloadOutcome Download::newest_records()
{
    if (busy_) return DownloadOutcome::busy;
    FlowGuard guard(busy_, host_);
    begin_flow(true);
    return audited(newest_steps());
}

DownloadOutcome Download::newest_steps()
{
    if (const DownloadOutcome refused = pointer_check(); refused != DownloadOutcome::done) return refused;

    host_.show_tip(QStringLiteral("DOWNLOADNUMREC"));
    // The question says how many records there are to ask for.
    const QString prompt = mess(17) + QStringLiteral("\r\n") + mess(199).arg(held_text());
    const std::optional<QString> answer =
        g_.ui ? g_.ui->input_box(mess(16), prompt, QString()) : std::nullopt;
    if (!answer || answer->trimmed().isEmpty()) return DownloadOutcome::no_count;
    bool ok = false;
    const int n = answer->trimmed().toInt(&ok);
    if (!ok) {
        message(mess(195).arg(*answer));
        return DownloadOutcome::no_count;
    }
    requested_ = n;
    // N of 0 or less asks the logger for nothing: below, the empty window and
    // "0 záznamov".
    if (g_.ident.type_code == old_format_type && n >= 1) return old_newest(n);
    const int ring = g_.ident.ring_size;
    if (n > ring) {
        message(mess(7) + QString::number(ring) + mess(8));
        return DownloadOutcome::too_many;
    }

    RecordSink* window = open_window(g_.lang.capt(201), g_.status.mission_name);
    const qint64 size_before = record_file_size();
    g_.transfer.record_counter = 0;
    g_.transfer.write_to_database = true;
    g_.transfer.store_marks = false;
    const TransferResult r = transfer(n, window);
    host_.set_window_modified(window, true);
    g_.transfer.write_to_database = false;
    const bool sorted = finish(window, false, r.fetched > 0, size_before);
    return outcome_of(r, sorted);
}

// ---------------------------------------------------------------------------
// Old-format logger (type 55)

// The old-format calibration answer to command 11 with parameter 159 brings
// the coefficients of the old-format records.
bool Download::old_read_calibration()
{
    const auto answer = decode_old_calibration(view(g_.link.rx_buffer), g_.status.change_threshold);
    g_.link.rx_buffer.clear();
    if (!answer) return false;
    g_.coef.old_a0 = answer->a0;
    g_.coef.old_a1 = answer->a1;
    g_.coef.old_a2 = answer->a2;
    return true;
}

DownloadOutcome Download::old_new_records()
{
    UiPort* ui = g_.ui;
    g_.link.show_progress(mess(59));
    if (ui) {
        ui->progress_clear_log();
        ui->progress_range(5500);
    }
    g_.link.send_frame_only(cmd::old_stream, 1);
    g_.link.delay(200);
    const int records = old_record_stream(false, 5500);
    if (ui) {
        ui->progress_range(100);
        ui->progress_hide();
    }
    return old_outcome(records);
}

DownloadOutcome Download::old_newest(int n)
{
    UiPort* ui = g_.ui;
    if (g_.status.record_pointer < 0 || g_.status.record_pointer > old_pointer_limit) {
        message(mess(60));
        return DownloadOutcome::broken_pointer;
    }
    // The count goes out as two bytes, the high one plus 1; the memory holds
    // no more than old_pointer_limit records anyway.
    if (n > old_pointer_limit) {
        message(mess(7) + QString::number(old_pointer_limit) + mess(8));
        return DownloadOutcome::too_many;
    }
    g_.link.show_progress(mess(194));
    if (ui) {
        ui->progress_label(QStringLiteral("GET CALIBS"));
        ui->progress_position(10);
    }
    g_.link.delay(100);
    bool calibrated = false;
    for (int attempt = 0; attempt < 6 && !calibrated && !g_.link.comm_abort; ++attempt) {
        g_.link.send_frame_only(cmd::old_calib, param::old_calib);
        g_.link.delay(200);
        calibrated = old_read_calibration();
    }
    if (!calibrated) {
        if (ui) ui->progress_hide();
        if (g_.link.comm_abort) return DownloadOutcome::cancelled;
        message(mess(61));
        return DownloadOutcome::failed;
    }
    if (ui) {
        ui->progress_label(QStringLiteral("LO..."));
        ui->progress_position(20);
    }
    g_.link.send_frame_only(cmd::old_newest_lo, static_cast<std::uint8_t>(n % 256));
    g_.link.delay(200);
    if (ui) {
        ui->progress_label(QStringLiteral("HI..."));
        ui->progress_position(30);
    }
    g_.link.send_frame_only(cmd::old_newest_hi, static_cast<std::uint8_t>(n / 256 + 1));
    g_.link.delay(200);
    const int records = old_record_stream(true, n);
    if (ui) {
        ui->progress_range(100);
        ui->progress_hide();
    }
    return old_outcome(records);
}

DownloadOutcome Download::old_outcome(int records) const
{
    if (records < 0) return DownloadOutcome::write_failed;
    if (g_.link.comm_abort) return DownloadOutcome::cancelled;
    if (records == 0) return DownloadOutcome::nothing_new;
    // The old-format logger has no marks: a problem can only be the sort's.
    return problem_.isEmpty() ? DownloadOutcome::done : DownloadOutcome::sort_failed;
}

// Takes 7-byte records from the reply buffer until none comes for a second
// or the user cancels; returns the number of records accepted, -1 when they
// could not be written to the record file.
int Download::old_record_stream(bool newest, int bar_max)
{
    UiPort* ui = g_.ui;
    if (ui) {
        ui->progress_label(mess(192));
        ui->progress_range(bar_max);
        ui->progress_position(0);
    }
    const QString serial = QString::number(g_.status.serial);
    RecordSink* window = open_window(mess(204) + serial, serial);

    // The echo of the last frame sent comes first.
    g_.link.rx_buffer.remove(0, 5);
    const int year = g_.now().date().year();
    QStringList lines;
    int taken = 0, skipped = 0;
    constexpr int record_size = 7;
    while (!g_.link.comm_abort) {
        if (g_.link.rx_buffer.size() < record_size && !g_.link.wait_length(record_size, 20)) break;
        const QByteArray bytes = g_.link.rx_buffer.left(record_size);
        g_.link.rx_buffer.remove(0, record_size);
        ++taken;
        if (const auto rec = parse_old_record(view(bytes), year, g_.coef))
            lines << old_record_line(*rec);
        else
            ++skipped;
        if (taken % 10 == 0 && ui) {
            ui->progress_position(taken);
            ui->progress_label(mess(192) + QString::number(taken));
        }
    }
    g_.link.rx_buffer.clear();
    if (ui && skipped > 0) ui->progress_log(mess(63).arg(skipped));

    g_.transfer.record_counter = static_cast<std::uint16_t>(lines.size());
    host_.set_status_text(record_count_text(g_.lang, lines.size()));
    if (lines.isEmpty()) {
        host_.set_window_modified(window, newest);
        if (g_.ui) g_.ui->plain_message(mess(62));
        return 0;
    }
    for (const QString& line : lines)
        window->add_line(line);
    host_.set_window_modified(window, newest);

    const QString path = old_format_database_path(g_);
    const qint64 size_before = record_file_size();
    const bool written = append_record_lines(path, lines, g_.ui, &g_.lang);
    window->block_done(written);
    if (written) {
        stored_ = int(lines.size());
        if (problem_.isEmpty()) note_record_source(g_);
        sort_file(size_before);
        digest_ = note_file_digest(g_, path, audit_action::download);
        host_.refresh_database_browser();
    }
    host_.redraw_graph(window);
    return written ? static_cast<int>(lines.size()) : -1;
}

} // namespace vx
