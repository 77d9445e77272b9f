// The control commands of the simulator: what a test or a person at the control socket may
// ask and inject. Each command is one line; each answer is one line ("ok ...", a JSON
// object, or "error: ..."), except `journal`, whose entries come one per line followed by
// a line "end".
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "simulator.h"

namespace mc1sim {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    std::string s;
    while (in >> s) w.push_back(s);
    return w;
}

bool ParseLong(const std::string& s, long lo, long hi, long* out) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 0);
    if (errno || *end || v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool ParseDouble(const std::string& s, double* out) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (errno || *end || !std::isfinite(v) || std::fabs(v) > 2e9) return false;
    *out = v;
    return true;
}

bool ParseOnOff(const std::string& s, bool* out) {
    if (s == "on" || s == "1") return *out = true, true;
    if (s == "off" || s == "0") return *out = false, true;
    return false;
}

// Numbers in thousandths, to a hundredth, without trailing zeros.
std::string Num(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.2f", std::round(v * 100) / 100);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

std::string Bool(bool b) { return b ? "true" : "false"; }

std::string PointsJson(const Polyline& line) {
    std::string s = "[";
    for (size_t i = 0; i < line.size(); ++i) {
        if (i) s += ",";
        s += "[" + Num(line[i].x) + "," + Num(line[i].y) + "]";
    }
    return s + "]";
}

std::string RunsJson(const std::vector<Polyline>& runs) {
    std::string s = "[";
    bool first = true;
    for (const Polyline& line : runs) {
        if (line.size() < 2) continue;  // a switch on and off without moving
        if (!first) s += ",";
        first = false;
        s += PointsJson(line);
    }
    return s + "]";
}

std::string HexBytes(const Bytes& b) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (uint8_t v : b) {
        s += digits[v >> 4];
        s += digits[v & 15];
    }
    return s;
}

const char* kHelp =
    "ok commands: hand X Y | glide X Y MS | drop N | drop-xy N | garbage N | stray K | nak N | error C [N] | stall on|off | silent on|off | "
    "slip x|y F | close | hangup | reconnect | needle-fail N | loader-nak N | stitcher 1|33|none | version motor|stitcher V | "
    "machine serial|buttons|held | needle-ms MS | delay MS | state | journal [FROM] | stitched | "
    "image [mc1|stitcher] | reset | quit";

}  // namespace

std::string Simulator::Control(const std::string& text) {
    std::vector<std::string> w = Words(text);
    if (w.empty()) return "error: empty command";
    const std::string& cmd = w[0];
    const size_t n = w.size() - 1;
    auto count = [&](int* target) -> std::string {
        long v;
        if (n != 1 || !ParseLong(w[1], 0, 1000000, &v)) return "error: " + cmd + " needs a count 0..1000000";
        *target = int(v);
        return "ok";
    };
    auto onOff = [&](bool* target) -> std::string {
        if (n != 1 || !ParseOnOff(w[1], target)) return "error: " + cmd + " needs on or off";
        return "ok";
    };

    if (cmd == "help") return kHelp;
    if (cmd == "hand") return Hand(w);
    if (cmd == "glide") return Glide(w);
    if (cmd == "drop") return count(&dropReplies_);
    if (cmd == "drop-xy") return count(&dropPositions_);
    if (cmd == "garbage") return count(&garbageReplies_);
    if (cmd == "stray") {
        const std::string r = count(&strayEvery_);
        if (r == "ok") replies_ = 0;
        return r;
    }
    if (cmd == "nak") return count(&nakMoves_);
    if (cmd == "needle-fail") return count(&failNeedles_);
    if (cmd == "loader-nak") {
        int k = 0;
        std::string r = count(&k);
        if (r != "ok") return r;
        if (loader_)
            loader_->RefuseWrites(k);
        else
            loaderRefusals_ = k;  // for the next loader to listen
        return r;
    }
    if (cmd == "error") {
        long code, times = 1;
        if (n < 1 || n > 2 || !ParseLong(w[1], INT32_MIN, INT32_MAX, &code) ||
            (n == 2 && !ParseLong(w[2], 0, 1000000, &times)))
            return "error: error needs a code and an optional number of reports";
        errorCode_ = int32_t(code);
        errorReports_ = int(times);
        return "ok";
    }
    if (cmd == "stall") {
        bool on = false;
        std::string r = onOff(&on);
        if (r == "ok") carriage_.SetStalled(on);
        return r;
    }
    if (cmd == "slip") {
        double f;
        if (n != 2 || (w[1] != "x" && w[1] != "y") || !ParseDouble(w[2], &f) || !(f > 0 && f <= 1))
            return "error: slip needs x or y and a fraction 0 < F <= 1 (1 is no slip)";
        if (w[1] == "x")
            carriage_.SetSlip(f, carriage_.SlipY());
        else
            carriage_.SetSlip(carriage_.SlipX(), f);
        return "ok";
    }
    if (cmd == "silent") return onOff(&silent_);
    if (cmd == "hangup") {
        // Like a cable pulled: the line goes away with everything on it, and nothing that
        // was still being carried out answers later.
        lineHungUp_ = true;
        out_.clear();
        return "ok";
    }
    if (cmd == "reconnect") {
        if (lineClosed_) return "error: the line is closed for good";
        lineHungUp_ = false;
        return "ok";
    }
    if (cmd == "close") {
        lineClosed_ = true;
        out_.clear();
        return "ok";
    }
    if (cmd == "stitcher") {
        long v;
        if (n == 1 && w[1] == "none")
            config_.stitcherReply = -1;
        else if (n == 1 && ParseLong(w[1], 0, 255, &v))
            config_.stitcherReply = int(v);
        else
            return "error: stitcher needs a reply byte 0..255 or none";
        return "ok";
    }
    if (cmd == "version") {
        double v;
        if (n != 2 || (w[1] != "motor" && w[1] != "stitcher") || !ParseDouble(w[2], &v))
            return "error: version needs motor or stitcher and a number";
        (w[1] == "motor" ? config_.motorVersion : config_.stitcherVersion) = float(v);
        return "ok";
    }
    if (cmd == "machine") {
        if (n != 1 || !ParseMachineKind(w[1], &config_.machine)) return "error: machine needs serial, buttons or held";
        return "ok";
    }
    if (cmd == "needle-ms") {
        long v;
        if (n != 1 || !ParseLong(w[1], 1, 60000, &v)) return "error: needle-ms needs 1..60000";
        config_.needleCycleMicros = v * 1000;
        return "ok";
    }
    if (cmd == "delay") {
        long v;
        if (n != 1 || !ParseLong(w[1], 0, 600000, &v)) return "error: delay needs 0..600000 milliseconds";
        config_.replyDelayMicros = int64_t(v) * 1000;
        return "ok";
    }
    if (cmd == "state") return StateJson();
    if (cmd == "journal") return JournalAnswer(w);
    if (cmd == "stitched") return StitchedJson();
    if (cmd == "image") return Image(w);
    if (cmd == "reset") {
        ResetAll();
        return "ok";
    }
    if (cmd == "quit") {
        quit_ = true;
        return "ok";
    }
    return "error: unknown command '" + cmd + "' (try help)";
}

std::string Simulator::Hand(const std::vector<std::string>& w) {
    double x, y;
    if (w.size() != 3 || !ParseDouble(w[1], &x) || !ParseDouble(w[2], &y))
        return "error: hand needs X Y in thousandths of an inch";
    if (!carriage_.HandMove(x, y)) return "error: both motors are holding; release an axis first";
    return "ok " + Num(carriage_.X()) + " " + Num(carriage_.Y());
}

std::string Simulator::Glide(const std::vector<std::string>& w) {
    double x, y;
    long ms;
    if (w.size() != 4 || !ParseDouble(w[1], &x) || !ParseDouble(w[2], &y) || !ParseLong(w[3], 0, 3600000, &ms))
        return "error: glide needs X Y in thousandths of an inch and MS 0..3600000";
    if (!carriage_.Glide(x, y, int64_t(ms) * 1000)) return "error: both motors are holding; release an axis first";
    return "ok " + Num(carriage_.X()) + " " + Num(carriage_.Y());
}

std::string Simulator::JournalAnswer(const std::vector<std::string>& w) const {
    long from = 0;
    if (w.size() > 2 || (w.size() == 2 && !ParseLong(w[1], 0, INT32_MAX, &from)))
        return "error: journal takes an optional first entry number\nend";
    std::string s;
    uint64_t first = std::max<uint64_t>(uint64_t(from), journalFirst_);
    for (uint64_t i = first; i < journalFirst_ + journal_.size(); ++i) s += journal_[i - journalFirst_] + "\n";
    return s + "end";
}

std::string Simulator::StateJson() const {
    std::string mode = loader_ ? (loader_ == &motorLoader_ ? "mc1-loader" : "stitcher-loader") : "run";
    std::string s = "{";
    s += "\"time_ms\":" + Num(now_ / 1000.0);
    s += ",\"mode\":\"" + mode + "\"";
    s += ",\"line\":\"" + std::string(lineClosed_ ? "closed" : lineHungUp_ ? "hung up" : "open") + "\"";
    s += ",\"x\":" + Num(carriage_.X()) + ",\"y\":" + Num(carriage_.Y());
    s += ",\"x_driven\":" + Bool(carriage_.XDriven()) + ",\"y_driven\":" + Bool(carriage_.YDriven());
    s += ",\"halted\":" + Bool(carriage_.Halted()) + ",\"moving\":" + Bool(carriage_.Executing());
    s += ",\"queued\":" + std::to_string(carriage_.Queued()) + ",\"status\":" + std::to_string(StatusByte());
    s += ",\"stitching\":" + Bool(stitching_) + ",\"needle\":\"" + (NeedleCycling() ? "cycling" : "up") + "\"";
    s += ",\"machine\":\"" + std::string(MachineKindName(config_.machine)) + "\"";
    s += ",\"delay_ms\":" + Num(config_.replyDelayMicros / 1000.0);
    s += ",\"buttons\":{\"H\":" + Bool(buttonH_) + ",\"I\":" + Bool(buttonI_) + ",\"J\":" + Bool(buttonJ_) + "}";
    s += ",\"speed\":" + std::to_string(speed_) + ",\"minimum_speed\":" + std::to_string(minimumSpeed_);
    s += ",\"stitch_length\":" + std::to_string(stitchLength_) + ",\"lock_stitches\":" + std::to_string(lockStitches_);
    s += ",\"slow\":" + Num(slow_) + ",\"direction\":" + std::to_string(reversed_ ? 200 : 100);
    s += ",\"constants\":{";
    const char* names[8] = {"XKp", "XKi", "YKp", "YKi", "YKd", "MaxErr", "TOut", "XKd"};
    for (int i = 0; i < 8; ++i) s += std::string(i ? "," : "") + "\"" + names[i] + "\":" + std::to_string(constants_[i]);
    s += "}";
    s += ",\"faults\":{\"drop\":" + std::to_string(dropReplies_) + ",\"garbage\":" + std::to_string(garbageReplies_) +
         ",\"drop_xy\":" + std::to_string(dropPositions_) + ",\"nak\":" + std::to_string(nakMoves_) + ",\"error\":" + std::to_string(errorReports_ > 0 ? errorCode_ : 0) +
         ",\"stall\":" + Bool(carriage_.Stalled()) +
         ",\"slip\":{\"x\":" + Num(carriage_.SlipX()) + ",\"y\":" + Num(carriage_.SlipY()) + "}," +
         "\"silent\":" + Bool(silent_) +
         ",\"needle_fail\":" + std::to_string(failNeedles_) + "}";
    double stitched_thou = 0;
    for (const Polyline& line : stitched_)
        for (size_t i = 1; i < line.size(); ++i)
            stitched_thou += std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
    s += ",\"counters\":{\"commands\":" + std::to_string(commands_) + ",\"moves_accepted\":" +
         std::to_string(movesAccepted_) + ",\"moves_rejected\":" + std::to_string(movesRejected_) +
         ",\"moves_done\":" + std::to_string(carriage_.MovesDone()) + ",\"buffer_polls\":" + std::to_string(polls_) +
         ",\"needle_cycles\":" + std::to_string(needles_.size()) + ",\"stitched_thou\":" + Num(stitched_thou) +
         ",\"journal\":" + std::to_string(journalFirst_ + journal_.size()) + "}";
    return s + "}";
}

std::string Simulator::StitchedJson() const {
    std::string s = "{\"stitched\":" + RunsJson(stitched_);
    s += ",\"needles\":" + PointsJson(needles_);
    s += ",\"travel\":" + RunsJson(travel_);
    return s + "}";
}

std::string Simulator::Image(const std::vector<std::string>& w) const {
    if (w.size() > 2 || (w.size() == 2 && w[1] != "mc1" && w[1] != "stitcher"))
        return "error: image takes mc1 or stitcher";
    const MemoryImage& m = w.size() == 2 && w[1] == "stitcher" ? stitcherLoader_.Image() : motorLoader_.Image();
    char key[32];
    std::string s = "{\"program\":{";
    bool first = true;
    for (const auto& [addr, bytes] : m.programWrites) {
        std::snprintf(key, sizeof key, "\"0x%06X\"", unsigned(addr));
        s += std::string(first ? "" : ",") + key + ":\"" + HexBytes(bytes) + "\"";
        first = false;
    }
    s += "},\"eeprom\":{";
    first = true;
    for (const auto& [addr, bytes] : m.eepromWrites) {
        std::snprintf(key, sizeof key, "\"0x%06X\"", unsigned(addr));
        s += std::string(first ? "" : ",") + key + ":\"" + HexBytes(bytes) + "\"";
        first = false;
    }
    s += "},\"settings\":{";
    first = true;
    for (const auto& [index, value] : m.settingWrites) {
        s += std::string(first ? "" : ",") + "\"" + std::to_string(index) + "\":" + std::to_string(value);
        first = false;
    }
    return s + "},\"exits\":" + std::to_string(m.exits) + "}";
}

}  // namespace mc1sim
