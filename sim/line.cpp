#include "line.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace mc1sim {

namespace {

volatile sig_atomic_t gStop = 0;

// A control line longer than this is not a command; the client is told and dropped.
constexpr size_t kMaxControlLine = 64 * 1024;

bool SetNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Writes everything, waiting a little for a slow reader; gives up after a second of no room.
bool WriteAll(int fd, const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
        ssize_t n = send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, 1000) <= 0) return false;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

LineServer::LineServer(Simulator& sim, LineOptions options) : sim_(sim), options_(std::move(options)) {
    if (options_.baud > 0) {
        byteTime_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / options_.baud));
    }
}

LineServer::~LineServer() {
    CloseLine();
    for (Client& c : clients_) close(c.fd);
    if (listen_ >= 0) {
        close(listen_);
        unlink(options_.control.c_str());
    }
    if (!options_.link.empty() && !slavePath_.empty()) {
        // Only our own link goes; a link that someone has pointed elsewhere stays.
        char target[4096];
        ssize_t n = readlink(options_.link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, size_t(n)) == slavePath_) unlink(options_.link.c_str());
    }
    if (journal_) std::fclose(journal_);
    sim_.onJournal = nullptr;
}

void LineServer::RequestStop() { gStop = 1; }

bool LineServer::Open(std::string* error) {
    if (!OpenPty(error)) return false;
    return OpenRest(error);
}

bool LineServer::OpenPty(std::string* error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        *error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        *error = "cannot name the pseudo-terminal";
        return false;
    }
    slavePath_ = name;
    slave_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        *error = "cannot open " + slavePath_ + ": " + std::strerror(errno);
        return false;
    }
    // Raw from the start, so nothing is echoed or translated before the program sets the
    // line up itself.
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B57600);
    cfsetospeed(&t, B57600);
    tcsetattr(slave_, TCSANOW, &t);
    SetNonBlocking(master_);

    if (!options_.link.empty()) {
        struct stat st;
        if (lstat(options_.link.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                *error = options_.link + " exists and is not a symbolic link; not replacing it";
                return false;
            }
            unlink(options_.link.c_str());
        }
        if (symlink(slavePath_.c_str(), options_.link.c_str()) != 0) {
            *error = "cannot link " + options_.link + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

bool LineServer::OpenRest(std::string* error) {
    if (!options_.control.empty()) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (options_.control.size() >= sizeof addr.sun_path) {
            *error = "control socket path is too long (at most " + std::to_string(sizeof addr.sun_path - 1) +
                     " characters): " + options_.control;
            return false;
        }
        std::memcpy(addr.sun_path, options_.control.c_str(), options_.control.size() + 1);
        struct stat st;
        if (lstat(options_.control.c_str(), &st) == 0) {
            if (!S_ISSOCK(st.st_mode)) {
                *error = options_.control + " exists and is not a socket; not replacing it";
                return false;
            }
            unlink(options_.control.c_str());
        }
        listen_ = socket(AF_UNIX, SOCK_STREAM, 0);
        if (listen_ < 0 || bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            listen(listen_, 8) != 0) {
            *error = "cannot open the control socket " + options_.control + ": " + std::strerror(errno);
            return false;
        }
        SetNonBlocking(listen_);
    }

    if (!options_.journal.empty()) {
        journal_ = std::fopen(options_.journal.c_str(), "w");
        if (!journal_) {
            *error = "cannot write the journal " + options_.journal + ": " + std::strerror(errno);
            return false;
        }
        sim_.onJournal = [this](int64_t micros, const std::string& line) {
            std::fprintf(journal_, "%.3f %s\n", micros / 1e6, line.c_str());
            std::fflush(journal_);
        };
    }
    return true;
}

void LineServer::CloseLine() {
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    master_ = slave_ = -1;
    inQueue_.clear();
    outQueue_.clear();
}

void LineServer::ReadLine(Clock::time_point now) {
    uint8_t buf[4096];
    for (;;) {
        ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) return;  // EAGAIN, or EIO while nobody holds the slave
        for (ssize_t i = 0; i < n; ++i) {
            Clock::time_point at = now;
            if (options_.baud > 0) {
                inFree_ = std::max(inFree_, now) + byteTime_;
                at = inFree_;
            }
            inQueue_.push_back({at, buf[i]});
        }
    }
}

void LineServer::FeedSimulator(Clock::time_point now) {
    std::vector<uint8_t> due;
    while (!inQueue_.empty() && inQueue_.front().at <= now) {
        due.push_back(inQueue_.front().byte);
        inQueue_.pop_front();
    }
    if (!due.empty()) sim_.Receive(due.data(), due.size());
    for (uint8_t b : sim_.TakeOutput()) {
        Clock::time_point at = now;
        if (options_.baud > 0) {
            outFree_ = std::max(outFree_, now) + byteTime_;
            at = outFree_;
        }
        outQueue_.push_back({at, b});
    }
}

void LineServer::WriteLine(Clock::time_point now) {
    std::vector<uint8_t> due;
    for (const Timed& t : outQueue_) {
        if (t.at > now) break;
        due.push_back(t.byte);
    }
    if (due.empty()) return;
    ssize_t n = write(master_, due.data(), due.size());
    if (n > 0) outQueue_.erase(outQueue_.begin(), outQueue_.begin() + n);
}

void LineServer::AcceptClients() {
    for (;;) {
        int fd = accept(listen_, nullptr, nullptr);
        if (fd < 0) return;
        SetNonBlocking(fd);
        clients_.push_back({fd, {}});
    }
}

bool LineServer::ServeClient(Client& c) {
    char buf[4096];
    for (;;) {
        ssize_t n = recv(c.fd, buf, sizeof buf, 0);
        if (n == 0) return false;
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            if (errno == EINTR) continue;
            return false;
        }
        c.in.append(buf, size_t(n));
    }
    size_t nl;
    while ((nl = c.in.find('\n')) != std::string::npos) {
        std::string line = c.in.substr(0, nl);
        c.in.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!WriteAll(c.fd, sim_.Control(line) + "\n")) return false;
        if (sim_.QuitRequested()) return true;
    }
    if (c.in.size() > kMaxControlLine) {
        WriteAll(c.fd, "error: control line too long\n");
        return false;
    }
    return true;
}

LineServer::Clock::duration LineServer::PollTimeout(Clock::time_point now) const {
    using std::chrono::milliseconds;
    Clock::duration wait = milliseconds(50);
    // Busy simulation: keep the clock fine-grained so replies and positions stay timely.
    if (sim_.carriage().Executing() || sim_.NeedleCycling() || sim_.HasPendingOutput()) wait = milliseconds(1);
    for (const auto* q : {&inQueue_, &outQueue_}) {
        if (!q->empty()) wait = std::min(wait, std::max(q->front().at - now, Clock::duration::zero()));
    }
    return wait;
}

void LineServer::Run() {
    signal(SIGPIPE, SIG_IGN);
    Clock::time_point last = Clock::now();
    while (!gStop && !sim_.QuitRequested()) {
        Clock::time_point now = Clock::now();
        std::vector<pollfd> fds;
        if (master_ >= 0) fds.push_back({master_, short(POLLIN | (outQueue_.empty() ? 0 : POLLOUT)), 0});
        if (listen_ >= 0) fds.push_back({listen_, POLLIN, 0});
        for (const Client& c : clients_) fds.push_back({c.fd, POLLIN, 0});
        Clock::duration wait = PollTimeout(now);
        // Bytes due now but refused by a full pty must not spin the loop.
        if (master_ >= 0 && !outQueue_.empty() && outQueue_.front().at <= now)
            wait = std::max<Clock::duration>(wait, std::chrono::milliseconds(1));
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        timespec ts{time_t(ns / 1000000000), long(ns % 1000000000)};
        if (ppoll(fds.data(), fds.size(), &ts, nullptr) < 0 && errno != EINTR) break;

        now = Clock::now();
        double micros = std::chrono::duration<double, std::micro>(now - last).count() * options_.timeScale;
        last = now;
        simCarryMicros_ += micros;
        int64_t whole = int64_t(simCarryMicros_);
        simCarryMicros_ -= double(whole);
        sim_.Advance(whole);

        if (master_ >= 0) {
            ReadLine(now);
            FeedSimulator(now);
            WriteLine(now);
        }
        if (listen_ >= 0) AcceptClients();
        for (size_t i = 0; i < clients_.size();) {
            if (ServeClient(clients_[i])) {
                ++i;
            } else {
                close(clients_[i].fd);
                clients_.erase(clients_.begin() + long(i));
            }
        }
        if (sim_.LineClosed() && master_ >= 0) CloseLine();
        if (sim_.LineHungUp() && master_ >= 0) {
            // The program's end of the line sees a hang-up; the link no longer leads anywhere.
            CloseLine();
            if (!options_.link.empty()) unlink(options_.link.c_str());
        }
        if (!sim_.LineHungUp() && !sim_.LineClosed() && master_ < 0) {
            std::string error;
            if (OpenPty(&error))
                std::printf("%s\n", slavePath_.c_str());
            else
                std::fprintf(stderr, "mc1sim: reconnecting: %s\n", error.c_str());
            std::fflush(stdout);
        }
    }
}

}  // namespace mc1sim
