#pragma once
// Record download: moves stored records from the logger's ring to the
// computer.
//
// The logger keeps its records in a ring (see ring.h) and reports the
// position of its next write. Records are read in blocks of ten through the
// link's read_block (command 11 with the low address byte, acknowledged;
// command 12 with the high byte, answered by ten records and a sum). Every
// block read goes to record decoding, which shows its lines in a text window
// and appends them to the mission's record file. Per mission a download mark
// in the per-user store remembers how far records have been fetched, so that
// the next new-records download takes only what the logger wrote since.
//
// The old-format logger (type 55) has no addressable memory: it streams its
// records as 7-byte records after command 47 (new records) or commands 45 and
// 46 (the newest N), without acknowledgements.
#include "logger/ring.h"
#include "records/record_file.h"

#include <QSet>
#include <QString>
#include <functional>
#include <optional>

namespace vx
{

struct Global;
class RecordSink;

// What the download needs from the main window.
class DownloadHost
{
public:
    virtual ~DownloadHost() = default;

    // Opens a new, empty text window captioned caption whose first line is
    // first_line; decoded lines are added to the returned sink. The sink
    // stays valid until the flow has ended.
    virtual RecordSink* open_text_window(const QString& caption, const QString& first_line) = 0;
    // Marks the text window as (not) modified.
    virtual void set_window_modified(RecordSink* window, bool modified) = 0;
    // Redraws the text window's graph from its records.
    virtual void redraw_graph(RecordSink* window) = 0;
    // The database browser reads its file list again.
    virtual void refresh_database_browser() = 0;
    // Status panel 0: the last transfer's record count.
    virtual void set_status_text(const QString& text) = 0;
    // "Nové záznamy:" (PannewRec).
    virtual void set_new_records_text(const QString& text) = 0;
    // "Názov:" (Panmisname): the mission name read again before a download.
    virtual void show_mission_name(const QString& name) = 0;
    // The record pointer as the "Ukazovatel" panel (panptr) shows it: empty
    // with no logger, a text containing "Err" for a broken pointer.
    virtual QString pointer_text() const = 0;
    // The poll timer (Timer1).
    virtual void stop_poll() = 0;
    virtual void start_poll() = 0;
    // A contextual tip by key.
    virtual void show_tip(const QString& key) = 0;
    // A logger met for the first time (no mark for its mission): true lets the
    // flow store the record pointer as the mission's first mark. The window
    // agrees at once (the notice MESS10 follows); the command line asks.
    virtual bool confirm_first_contact(const QString& mission, int pointer)
    {
        (void)mission;
        (void)pointer;
        return true;
    }
    // Asks without stopping the poll and the live readings (the main window's
    // question bar): shows text with the buttons of the set and calls
    // answered with the button's result once the user answers. Asking again
    // before then replaces the text and the callback. false when the host
    // cannot ask that way; the flow then asks through the message window.
    virtual bool ask_later(const QString& text, int buttons, std::function<void(int)> answered)
    {
        (void)text;
        (void)buttons;
        (void)answered;
        return false;
    }
    // The question asked with ask_later is moot (nothing new left): it goes unanswered.
    virtual void withdraw_question() {}
    // Where saving the text window proposes to write its records.
    virtual void propose_file_name(RecordSink* window, const QString& path)
    {
        (void)window;
        (void)path;
    }
};

// How a download flow ended.
enum class DownloadOutcome {
    done,           // the transfer ran to its end (g.transfer.record_counter records decoded)
    nothing_new,    // no new records (MESS11), or the old-format logger sent none
    first_contact,  // no mark yet: the record pointer became the mark, nothing fetched
    not_registered, // no mark yet and the first mark was not agreed to; nothing stored
    no_logger,      // no logger attached (MESS5)
    broken_pointer, // the logger's record pointer is broken (MESS6)
    no_name,        // the mission name could not be read again
    no_count,       // the N-newest question was left empty or not answered with a number
    too_many,       // more records asked for than the ring holds (MESS7, MESS8)
    failed,         // the logger stopped answering ("Timeout ...", "Prístroj neodpovedá")
    write_failed,   // the record file could not be written
    mark_failed,    // the download mark could not be stored (problem() says why); fetched records stay
    sort_failed,    // the records are stored, but the record file could not be sorted (problem() says why)
    cancelled,      // the progress window's cancel ended it
    busy,           // another flow is running
};

// What one transfer did.
struct TransferResult {
    int requested = 0;   // records asked for
    int fetched = 0;     // records of the blocks read successfully
    bool failed = false; // a block could not be read even after the retries
    bool cancelled = false;
    bool write_failed = false; // the record file could not be written
    bool mark_failed = false;  // the download mark could not be stored; the transfer stopped there
};

class Download
{
public:
    // Reads of one block before the transfer gives up on it.
    static constexpr int block_reads = 4;
    // Highest record pointer of the old-format logger that can be trusted.
    static constexpr int old_pointer_limit = 5400;

    Download(Global& g, DownloadHost& host);

    // Fetches the n records that end just before the record pointer into
    // the window, in blocks of at most ten in the order the logger wrote
    // them. With g.transfer.store_marks the mission's mark follows every
    // block read. A block that still fails after block_reads reads ends the
    // transfer ("Timeout ..." is shown); the mark then stays at that block,
    // so the next new-records download starts there. Cancel (the progress
    // window) ends it after the current block.
    TransferResult transfer(int n, RecordSink* window);

    // The check after every good name block of the poll: counts the new
    // records, stores a first mark for a logger met for the first time, and
    // offers once per connection to fetch them. Where the host can, the offer
    // and the first-contact notice do not stop the poll (ask_later): the
    // records are fetched when the offer is accepted.
    void check_new_records();

    // What the logger holds, for the user: "N" or, when it may have gone
    // round its ring, "N to M" (from the pointer and the rollover flag).
    QString held_text() const;

    // "Prenos" (F5): fetches the records written since the last download.
    DownloadOutcome new_records();

    // "Prenos záznamov" (F6): fetches the newest N records, N typed by the
    // user; N of 0 or less opens an empty window and reports 0 records.
    DownloadOutcome newest_records();

    // True while a flow runs; the flows ignore a second start meanwhile.
    bool busy() const { return busy_; }

    // The message of the last flow's mark or sort failure (also shown to the
    // user); empty when there was none.
    const QString& problem() const { return problem_; }

    // What the last flow's sort of the record file found (all zero when it
    // did not sort): records that share their stamp with older ones are all
    // kept and said to the user (MESS174: was the logger's clock set back?),
    // and so are lines that carry no time stamp (MESS175).
    const SortResult& last_sort() const { return last_sort_; }

private:
    DownloadOutcome new_records_steps(bool from_check);
    // The answer to the offer of the check: Yes fetches the new records, No
    // keeps them until the next connection.
    void answer_offer(int answer);
    DownloadOutcome newest_steps();
    // Resets what one flow reports (problem, sort, audit details).
    void begin_flow(bool newest);
    // Records a flow that asked the logger for records in the audit trail,
    // ok or failed, with the records stored and the record file's digest.
    DownloadOutcome audited(DownloadOutcome outcome);
    // Stores the first mark of a mission met for the first time (when the
    // host agrees) and tells the user how to fetch the records the logger
    // already holds; first_contact or not_registered.
    DownloadOutcome first_mark(const QString& mission, int pointer, bool from_check = false);
    // Opens the text window of a download, its first line "Download: " and
    // name, proposing a file of its own in the log folder.
    RecordSink* open_window(const QString& caption, const QString& name);
    DownloadOutcome pointer_check();
    // Sorts (when records were appended) and refreshes after a transfer;
    // false when the sort failed.
    bool finish(RecordSink* window, bool from_check, bool appended, qint64 size_before);
    // appended_from: the file's size before the download's appends.
    bool sort_file(qint64 appended_from);
    // The size of the attached logger's record file now (0 when missing).
    qint64 record_file_size() const;
    void message(const QString& text);
    QString mess(int n) const;
    int read_mark(const QString& name) const;
    // Stores a mark; on failure tells the user (once per flow) and returns false.
    bool write_mark(const QString& name, int mark);

    // Old-format logger (type 55).
    DownloadOutcome old_new_records();
    DownloadOutcome old_newest(int n);
    bool old_read_calibration();
    int old_record_stream(bool newest, int bar_max);
    DownloadOutcome old_outcome(int records) const;

    Global& g_;
    DownloadHost& host_;
    bool busy_ = false;
    // Missions whose first mark the store refused during this run.
    QSet<QString> refused_marks_;
    QString problem_;
    SortResult last_sort_;
    // For the audit trail: the flow's kind, records asked for and stored in
    // the record file, and the file's digest noted after them.
    bool newest_ = false;
    int requested_ = 0;
    int stored_ = 0;
    QString digest_;
};

} // namespace vx
