// vorlan-sim: a simulated logger on a pseudo-terminal.
//
// It prints "PTY /dev/pts/N" as its first line, echoes every byte it receives
// and answers command frames (CR, LF, command, parameter, check) the way a
// logger does. Everything it sends goes out paced at 19200 bit/s.
#include "sim_logger.h"
#include "sim_time.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <iterator>
#include <map>
#include <poll.h>
#include <set>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace
{

volatile std::sig_atomic_t g_stop = 0;
void on_signal(int)
{
    g_stop = 1;
}

// One bit time is 1/19200 s; a byte with start and stop bits takes ten.
constexpr double byte_us = 10.0 * 1e6 / 19200.0;
constexpr std::size_t chunk_bytes = 8;

const char* help_text = R"(vorlan-sim: simulated data logger on a pseudo-terminal

Prints "PTY /dev/pts/N" as its first line, then serves the logger protocol.

Logger:
  --type N              type code (default 89); 55 is the old-format logger,
                        which answers only 10 160, 11 159, 32, 34..38,
                        45..47, 100 and 101
  --serial N            serial number (default 1234)
  --name STR            mission name, up to 16 characters (default MISIA1)
  --pointer N           record pointer (default: --fill)
  --fill N              ring positions written, 0..fill-1 (default 25)
  --wrap                the ring has wrapped: every position holds a record
  --interval MIN        recording interval in minutes (default 10)
  --start yyyy-mm-ddThh:mm   time of record number 0 (default 2024-01-01T00:00)
  --clock-offset SEC    logger clock = host clock + SEC
  --clock yyyy-mm-ddThh:mm:ss  logger clock starts here and then runs
  --clock-moved K:MIN   the clock was moved by MIN minutes (negative: back)
                        before record number K: records K.. are stamped
                        start + k * interval + MIN minutes
Readings:
  --raw1 N --raw2 N --raw3 N   live raw values (default: those of the next record)
  --err1 N --err2 N     sensor error flags
  --battery N           raw battery byte (default 10)
  --corr1 BYTE --corr2 BYTE    sensor corrections (sign-magnitude, 1/16 degC)
  --limit-lo N --limit-hi N    limits (type 101: signed bytes, 127 = none;
                               types 103/129: raw 16-bit, 0 = none)
  --coef a0,a1,a2[,a3]  conversion coefficients sent in the status
Faults:
  --drop-acks N         drop the first N acknowledgements
  --drop-acks-of CMD[:N]  drop the first N acknowledgements of command CMD,
                        without N every one (repeatable)
  --ignore CMD          acknowledge command CMD as usual but do not take it,
                        as a logger that ignores the setting (repeatable)
  --corrupt-block K     the K-th block reply (1-based) carries a wrong sum
  --corrupt-block-times T   corrupt that block reply T times (default 1)
  --reply-delay MS      delay every reply
  --silent              echo nothing, answer nothing
  --close-after-blocks K    exit after sending K block replies
  --record-every-ms MS  while the mission is on, write the next record every MS ms
Output:
  --link PATH           place a symlink to the device at PATH
  --log FILE            append "<ms> <cmd> <param>" per valid frame received
  --dump-ring FILE      write "pos<TAB>yyyy-mm-dd hh:mm:ss<TAB>raw1[<TAB>raw2..]"
                        for every written ring position, then go on serving
  --state FILE          keep FILE holding every setting of the logger, one
                        "key=value" line each, rewritten after every frame:
                        type serial name mission rollover interval gradient
                        delay pointer corr1 corr2 limit_lo limit_hi averaging
                        battery battery_replaced (count of command 31)
                        battery_low (14) measure_length (15) coef (a0,a1,a2,a3;
                        107: A,B,type) mem32..mem44 (memory cells) text0..text2
                        (coefficient texts stored by 197) text_series_ends (198)

Records: record number k lies at ring position k mod ring size and is stamped
start + k * interval (whole minutes; type 132 with an interval above 60 steps
interval - 60 seconds and keeps the seconds in value B). Without --wrap
positions 0..fill-1 hold k = position. With --wrap every position holds one:
positions below fill hold k = ring size + position, the others k = position.
Unwritten positions read as 0xFF. Setting the record pointer (commands 27, 28,
as a mission start does) erases the memory; records written later (see
--record-every-ms) continue from the pointer with the same rule. Raw values of record k (t = 320 + (7k mod 160), i.e. 20.0..29.9 degC):
  digital 85 89 96 128: t        analog 86 94 95 97 101 103 129: 1080 + (7k mod 160)
  87 88 92: t, 300 + (11k mod 400)    counters 90 102: k mod 50    93: 17 + (k mod 3)
  99: t, t - 16 - (k mod 32)          100 106: t, 1500 + (11k mod 1000)
  105 131: t, t + 32                  107: 3k mod 65536
  108: 1080 + (7k mod 160), 1100 + (5k mod 120)
  111: 13k mod 1000, 37k mod 3600     130: 400 + (13k mod 1600), k mod 50
  132: 400 + (13k mod 1600), seconds of the stamp
  133: t, 1500 + (11k mod 1000), 100 + (k mod 30)
  55 (7-byte BCD records): 1400 + (7k mod 160)
)";

struct Faults {
    int drop_acks = 0;
    std::map<int, int> drop_acks_of; // command -> acknowledgements still to drop
    std::set<int> ignored;           // commands answered as usual but not taken
    int corrupt_block = 0;
    int corrupt_times = 1;
    int reply_delay_ms = 0;
    bool silent = false;
    int close_after_blocks = 0;
};

struct Config {
    sim::Options logger;
    Faults faults;
    std::string link, log, dump, state;
    int record_every_ms = 0;
};

bool to_int(const char* s, long long& v)
{
    char* end = nullptr;
    errno = 0;
    v = std::strtoll(s, &end, 0);
    return errno == 0 && end != s && *end == 0;
}

bool parse_args(int argc, char** argv, Config& cfg)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        auto number = [&](auto& out) {
            const char* s = nullptr;
            long long v = 0;
            if (!value(s) || !to_int(s, v)) return false;
            out = static_cast<std::remove_reference_t<decltype(out)>>(v);
            return true;
        };
        const char* s = nullptr;
        bool ok = true;
        sim::Options& o = cfg.logger;
        if (a == "--help" || a == "-h") {
            std::fputs(help_text, stdout);
            std::exit(0);
        } else if (a == "--type")
            ok = number(o.type);
        else if (a == "--serial")
            ok = number(o.serial);
        else if (a == "--name") {
            ok = value(s);
            if (ok) o.name = std::string(s).substr(0, 16);
        } else if (a == "--pointer") {
            int p = 0;
            ok = number(p);
            o.pointer = p;
        } else if (a == "--fill")
            ok = number(o.fill);
        else if (a == "--wrap")
            o.wrap = true;
        else if (a == "--interval")
            ok = number(o.interval);
        else if (a == "--start")
            ok = value(s) && sim::parse_civil(s, o.start);
        else if (a == "--clock-offset") {
            long long v = 0;
            ok = number(v);
            o.clock_offset = v;
        } else if (a == "--clock-moved") {
            long long k = 0, minutes = 0;
            char colon = 0;
            ok =
                value(s) && std::sscanf(s, "%lld%c%lld", &k, &colon, &minutes) == 3 && colon == ':' && k >= 0;
            o.clock_moved_at = k;
            o.clock_moved_minutes = minutes;
        } else if (a == "--clock") {
            sim::Civil c;
            ok = value(s) && sim::parse_civil(s, c);
            o.clock = c;
        } else if (a == "--raw1") {
            int v = 0;
            ok = number(v);
            o.raw1 = v;
        } else if (a == "--raw2") {
            int v = 0;
            ok = number(v);
            o.raw2 = v;
        } else if (a == "--raw3") {
            int v = 0;
            ok = number(v);
            o.raw3 = v;
        } else if (a == "--err1")
            ok = number(o.err1);
        else if (a == "--err2")
            ok = number(o.err2);
        else if (a == "--battery")
            ok = number(o.battery);
        else if (a == "--corr1")
            ok = number(o.corr1);
        else if (a == "--corr2")
            ok = number(o.corr2);
        else if (a == "--limit-lo") {
            int v = 0;
            ok = number(v);
            o.limit_lo = v;
        } else if (a == "--limit-hi") {
            int v = 0;
            ok = number(v);
            o.limit_hi = v;
        } else if (a == "--coef") {
            ok = value(s);
            o.coef.clear();
            for (std::string rest = ok ? s : ""; ok && !rest.empty();) {
                const std::size_t comma = rest.find(',');
                const std::string item = rest.substr(0, comma);
                char* end = nullptr;
                const float f = std::strtof(item.c_str(), &end);
                ok = end != item.c_str() && *end == 0;
                o.coef.push_back(f);
                rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
            }
            ok = ok && (o.coef.size() == 3 || o.coef.size() == 4);
        } else if (a == "--drop-acks")
            ok = number(cfg.faults.drop_acks);
        else if (a == "--drop-acks-of") {
            int command = 0, count = 0;
            const int fields = value(s) ? std::sscanf(s, "%d:%d", &command, &count) : 0;
            ok = fields == 2 || (fields == 1 && std::strchr(s, ':') == nullptr);
            if (fields == 1) count = 1 << 30; // every one
            if (ok) cfg.faults.drop_acks_of[command] += count;
        } else if (a == "--ignore") {
            long long command = 0;
            ok = value(s) && to_int(s, command) && command >= 0 && command <= 255;
            if (ok) cfg.faults.ignored.insert(static_cast<int>(command));
        } else if (a == "--corrupt-block")
            ok = number(cfg.faults.corrupt_block);
        else if (a == "--corrupt-block-times")
            ok = number(cfg.faults.corrupt_times);
        else if (a == "--reply-delay")
            ok = number(cfg.faults.reply_delay_ms);
        else if (a == "--record-every-ms")
            ok = number(cfg.record_every_ms);
        else if (a == "--silent")
            cfg.faults.silent = true;
        else if (a == "--close-after-blocks")
            ok = number(cfg.faults.close_after_blocks);
        else if (a == "--link") {
            ok = value(s);
            if (ok) cfg.link = s;
        } else if (a == "--log") {
            ok = value(s);
            if (ok) cfg.log = s;
        } else if (a == "--state") {
            ok = value(s);
            if (ok) cfg.state = s;
        } else if (a == "--dump-ring") {
            ok = value(s);
            if (ok) cfg.dump = s;
        } else {
            std::fprintf(stderr, "vorlan-sim: unknown option %s (see --help)\n", a.c_str());
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "vorlan-sim: bad or missing value for %s\n", a.c_str());
            return false;
        }
    }
    if (!sim::find_model(cfg.logger.type)) {
        std::fprintf(stderr, "vorlan-sim: unknown type code %d\n", cfg.logger.type);
        return false;
    }
    return true;
}

// Bytes waiting to go out, each run not before its due time.
struct Pending {
    std::int64_t due_ms;
    sim::Bytes bytes;
    bool last = false; // the simulator ends once this has gone out
    std::size_t sent = 0;
};

class Device
{
public:
    Device(const Config& cfg, sim::Logger& logger, int master)
        : cfg_(cfg), logger_(logger), master_(master), start_ms_(sim::mono_ms())
    {
        if (!cfg.log.empty()) log_ = std::fopen(cfg.log.c_str(), "a");
        write_state();
    }
    ~Device()
    {
        if (log_) std::fclose(log_);
    }

    // Feed received bytes; queues echo and answers.
    void receive(const std::uint8_t* data, std::size_t n)
    {
        // A dead logger hears the frames (they are logged) but says nothing.
        if (!cfg_.faults.silent) queue(sim::Bytes(data, data + n), sim::mono_ms());
        for (std::size_t i = 0; i < n; ++i) {
            parse_.push_back(data[i]);
            for (;;) {
                while (!parse_.empty() && parse_[0] != 13)
                    parse_.pop_front();
                if (parse_.size() >= 2 && parse_[1] != 10) {
                    parse_.pop_front();
                    continue;
                }
                if (parse_.size() < 5) break;
                const std::uint8_t c = parse_[2], p = parse_[3], chk = parse_[4];
                if (static_cast<std::uint8_t>(c + p + chk) == 170) {
                    parse_.erase(parse_.begin(), parse_.begin() + 5);
                    frame(c, p);
                } else {
                    // Not a frame: resynchronise on the next CR.
                    parse_.pop_front();
                }
            }
        }
    }

    // Sends what is due, paced. Returns ms until the next send is possible, or -1 when idle.
    int pump()
    {
        while (!out_.empty()) {
            const std::int64_t now_ms = sim::mono_ms();
            Pending& head = out_.front();
            if (now_ms < head.due_ms) return static_cast<int>(head.due_ms - now_ms);
            const std::int64_t now_us = mono_us();
            if (now_us < next_us_) return static_cast<int>((next_us_ - now_us + 999) / 1000);
            const std::size_t n = std::min(chunk_bytes, head.bytes.size() - head.sent);
            const ssize_t w = ::write(master_, head.bytes.data() + head.sent, n);
            if (w < 0) {
                if (errno == EAGAIN || errno == EINTR) return 5;
                // Nobody on the other side: the bytes are lost, as on a real line.
                out_.pop_front();
                continue;
            }
            head.sent += static_cast<std::size_t>(w);
            next_us_ =
                std::max(next_us_, now_us) + static_cast<std::int64_t>(byte_us * static_cast<double>(w));
            if (head.sent >= head.bytes.size()) {
                if (head.last) exit_now_ = true;
                out_.pop_front();
            }
        }
        return -1;
    }

    bool exit_now() const { return exit_now_; }

private:
    static std::int64_t mono_us()
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
    }

    // Runs go out in order of due time, first come first served among equals.
    // The echo is due at once, so with a reply delay the echo of a repeated
    // frame overtakes the late answer to the previous one, as on the wire.
    void queue(sim::Bytes b, std::int64_t due, bool last = false)
    {
        auto at = out_.end();
        while (at != out_.begin()) {
            auto before = std::prev(at);
            if (before->due_ms <= due || before->sent > 0) break;
            at = before;
        }
        out_.insert(at, Pending{due, std::move(b), last});
    }

    void frame(std::uint8_t c, std::uint8_t p)
    {
        const std::int64_t now = sim::mono_ms();
        if (log_) {
            std::fprintf(log_, "%lld %u %u\n", static_cast<long long>(now - start_ms_), c, p);
            std::fflush(log_);
        }
        if (cfg_.faults.silent) return;
        // An ignored setting is answered by a copy of the logger, which then forgets it.
        sim::Reply r =
            cfg_.faults.ignored.count(c) ? sim::Logger(logger_).handle(c, p) : logger_.handle(c, p);
        write_state();
        const std::int64_t due = now + cfg_.faults.reply_delay_ms;
        bool last = false;
        switch (r.what) {
        case sim::Reply::What::none:
            return;
        case sim::Reply::What::ack: {
            if (acks_dropped_ < cfg_.faults.drop_acks) {
                ++acks_dropped_;
                return;
            }
            const auto of = drop_acks_of_.find(c);
            if (of != drop_acks_of_.end() && of->second > 0) {
                --of->second;
                return;
            }
            break;
        }
        case sim::Reply::What::data:
            break;
        case sim::Reply::What::block: {
            ++blocks_;
            const int k = cfg_.faults.corrupt_block;
            if (k > 0 && blocks_ >= k && blocks_ < k + cfg_.faults.corrupt_times) r.bytes.back() ^= 0x5A;
            // The block goes out in full before the simulator ends.
            last = cfg_.faults.close_after_blocks > 0 && blocks_ >= cfg_.faults.close_after_blocks;
            break;
        }
        }
        queue(std::move(r.bytes), due, last);
    }

    // The settings file of --state, replaced whole so a reader never sees half of it.
    void write_state()
    {
        if (cfg_.state.empty()) return;
        const std::string tmp = cfg_.state + ".tmp";
        std::FILE* f = std::fopen(tmp.c_str(), "w");
        if (!f) return;
        const std::string text = logger_.dump_state();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        std::rename(tmp.c_str(), cfg_.state.c_str());
    }

    const Config& cfg_;
    sim::Logger& logger_;
    int master_;
    std::int64_t start_ms_;
    std::FILE* log_ = nullptr;
    std::deque<std::uint8_t> parse_;
    std::deque<Pending> out_;
    std::int64_t next_us_ = 0;
    int acks_dropped_ = 0;
    std::map<int, int> drop_acks_of_ = cfg_.faults.drop_acks_of;
    int blocks_ = 0;
    bool exit_now_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    Config cfg;
    if (!parse_args(argc, argv, cfg)) return 2;

    sim::Logger logger(cfg.logger);
    if (!cfg.dump.empty()) {
        std::FILE* f = std::fopen(cfg.dump.c_str(), "w");
        if (!f) {
            std::fprintf(stderr, "vorlan-sim: cannot write %s\n", cfg.dump.c_str());
            return 1;
        }
        const std::string text = logger.dump_ring();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("vorlan-sim: pseudo-terminal");
        return 1;
    }
    const char* slave_name = ptsname(master);
    if (!slave_name) {
        std::perror("vorlan-sim: ptsname");
        return 1;
    }
    const std::string device = slave_name;
    // We hold the slave open ourselves: the line then stays raw between the
    // program's opens, and the master never sees a hang-up.
    const int slave = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::perror("vorlan-sim: open slave");
        return 1;
    }
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tcsetattr(slave, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    if (!cfg.link.empty()) {
        // Replace an old link, but never a real file.
        struct stat st {
        };
        if (::lstat(cfg.link.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                std::fprintf(stderr, "vorlan-sim: %s exists and is not a symlink\n", cfg.link.c_str());
                return 1;
            }
            ::unlink(cfg.link.c_str());
        }
        if (::symlink(device.c_str(), cfg.link.c_str()) != 0) {
            std::perror("vorlan-sim: symlink");
            return 1;
        }
    }

    struct sigaction sa {
    };
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("PTY %s\n", device.c_str());
    std::fflush(stdout);

    Device dev(cfg, logger, master);
    std::uint8_t buf[512];
    std::int64_t next_record_ms = sim::mono_ms() + cfg.record_every_ms;
    while (!g_stop && !dev.exit_now()) {
        const int wait = dev.pump();
        if (dev.exit_now()) break;
        int timeout = wait < 0 ? 200 : std::max(1, wait);
        if (cfg.record_every_ms > 0) {
            const std::int64_t now = sim::mono_ms();
            if (now >= next_record_ms) {
                logger.append_record();
                next_record_ms += cfg.record_every_ms;
            }
            timeout = static_cast<int>(std::clamp<std::int64_t>(next_record_ms - now, 1, timeout));
        }
        pollfd pfd{master, POLLIN, 0};
        const int n = ::poll(&pfd, 1, timeout);
        if (n > 0 && (pfd.revents & POLLIN)) {
            const ssize_t got = ::read(master, buf, sizeof buf);
            if (got > 0) dev.receive(buf, static_cast<std::size_t>(got));
        }
    }

    if (dev.exit_now()) {
        // Let the reader take what we sent before the line goes away; the
        // kernel moves written bytes to the other side a moment later.
        ::usleep(50000);
        for (int i = 0; i < 200; ++i) {
            int queued = 0;
            if (::ioctl(slave, TIOCINQ, &queued) != 0 || queued == 0) break;
            ::usleep(10000);
        }
    }
    if (!cfg.link.empty()) ::unlink(cfg.link.c_str());
    ::close(slave);
    ::close(master);
    return 0;
}
