#include "simulator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mc1sim {

namespace {

// Query bytes of the constants, in the order the controller keeps them.
constexpr uint8_t kConstantQueries[8] = {11, 12, 36, 37, 38, 39, 40, 41};
const char* const kConstantNames[8] = {"XKp", "XKi", "YKp", "YKi", "YKd", "MaxErr", "TOut", "XKd"};
constexpr int32_t kFactoryConstants[8] = {30, 8, 30, 8, 40, 100, 100, 40};

// Setter byte -> place in the constants table.
int ConstantSlotOfSetter(uint8_t c) {
    switch (c) {
        case 1: return 0;  // XKp
        case 2: return 1;  // XKi
        case 3: return 7;  // XKd
        case 4: return 2;  // YKp
        case 5: return 3;  // YKi
        case 6: return 4;  // YKd
        case 8: return 5;  // MaxErr
        case 9: return 6;  // TOut
        default: return -1;
    }
}

int ConstantSlotOfQuery(uint8_t c) {
    for (int i = 0; i < 8; ++i)
        if (kConstantQueries[i] == c) return i;
    return -1;
}

size_t RunFrameLength(uint8_t c) {
    switch (c) {
        case 1: case 2: case 3: case 4: case 5: case 6: case 8: case 9:
        case 53: case 54: case 55: case 57: case 68:
            return 5;
        case 33:
            return 17;
        case 72: case 73: case 74:
            return 2;
        default:
            return 1;
    }
}

// Bytes the controller takes without answering, and what they are for.
const char* SilentByteName(uint8_t c) {
    switch (c) {
        case 46: return "SetExtents";
        case 47: return "ClearExtents";
        case 48: return "HandOver";
        case 50: return "EndOfPath";
        case 63: return "StartByte";
        case 64: return "StitcherFirmware";
        case 70: return "SetupByte";
        default: return nullptr;
    }
}

uint8_t ClampByte(int32_t v) { return uint8_t(std::clamp<int32_t>(v, 0, 255)); }

std::string Float3(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", double(v));
    return buf;
}

constexpr int64_t kNeedleRefusalMicros = 20000;  // a stitch controller that cannot cycle says so quickly

}  // namespace

const char* MachineKindName(MachineKind k) {
    switch (k) {
        case MachineKind::Serial: return "serial";
        case MachineKind::Buttons: return "buttons";
        case MachineKind::Held: return "held";
    }
    return "serial";
}

bool ParseMachineKind(const std::string& s, MachineKind* out) {
    for (MachineKind k : {MachineKind::Serial, MachineKind::Buttons, MachineKind::Held})
        if (s == MachineKindName(k)) {
            *out = k;
            return true;
        }
    return false;
}

Simulator::Simulator(Config config) : startConfig_(config), config_(config) {
    carriage_.onVertex = [this] { OnVertex(); };
    ResetAll();
}

Simulator::~Simulator() = default;

void Simulator::ResetAll() {
    config_ = startConfig_;
    out_.clear();
    journal_.clear();
    journalFirst_ = 0;
    frame_.clear();
    ffRun_ = 0;
    lineClosed_ = false;
    lineHungUp_ = false;
    carriage_ = Carriage();
    carriage_.onVertex = [this] { OnVertex(); };
    std::copy(std::begin(kFactoryConstants), std::end(kFactoryConstants), constants_);
    stitchLength_ = 5;
    speed_ = 40;
    minimumSpeed_ = 2;
    lockStitches_ = 4;
    slow_ = 5.0f;
    reversed_ = false;
    stitcherArmed_ = false;
    motorLoader_ = BootLoader("MC1");
    stitcherLoader_ = BootLoader("SC1");
    loader_ = nullptr;
    stitching_ = false;
    buttonH_ = buttonI_ = buttonJ_ = false;
    needleEnd_ = -1;
    stitched_.clear();
    travel_.assign(1, Polyline{{0, 0}});
    needles_.clear();
    errorCode_ = errorReports_ = lastError_ = 0;
    dropReplies_ = dropPositions_ = garbageReplies_ = nakMoves_ = failNeedles_ = loaderRefusals_ = 0;
    strayEvery_ = 0;
    replies_ = 0;
    silent_ = false;
    commands_ = movesAccepted_ = movesRejected_ = polls_ = 0;
}

void Simulator::ResetRun() {
    carriage_.StopNow();
    carriage_.ClearBuffer();
    carriage_.Resume();
    carriage_.SetDriven(true, true);
    carriage_.SetStalled(false);
    SetStitching(false);
    buttonH_ = buttonI_ = buttonJ_ = false;
    needleEnd_ = -1;
    frame_.clear();
}

void Simulator::Note(const std::string& line) {
    journal_.push_back(line);
    if (journal_.size() > kJournalKept) {
        journal_.pop_front();
        ++journalFirst_;
    }
    if (onJournal) onJournal(now_, line);
}

void Simulator::Receive(const uint8_t* data, size_t n) {
    if (lineClosed_ || n == 0) return;
    if (silent_) {
        // A controller that has gone silent takes nothing in; the bytes are lost on the line.
        Note("(silent) " + std::to_string(n) + " bytes ignored");
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        if (loader_)
            ByteInLoader(data[i]);
        else
            ByteInRun(data[i]);
    }
}

// The reset into the loader is 0xFF 0xFF 0xFF ';' between frames. Stray 0xFF bytes that do
// not end in ';' are reported as unknown once they turn out not to be a reset.
bool Simulator::ResetSequence(uint8_t b) {
    if (b == 0xFF) {
        ++ffRun_;
        return true;
    }
    if (b == ';' && ffRun_ >= 3) {
        ffRun_ = 0;
        EnterLoader();
        return true;
    }
    if (ffRun_ > 0) {
        Note("Unknown 0xFF" + (ffRun_ > 1 ? " x" + std::to_string(ffRun_) : std::string()));
        ffRun_ = 0;
    }
    return false;
}

void Simulator::ByteInRun(uint8_t b) {
    if (frame_.empty() && ResetSequence(b)) return;
    frame_.push_back(b);
    if (frame_.size() < RunFrameLength(frame_[0])) return;
    ++commands_;
    ExecuteRun();
    frame_.clear();
}

void Simulator::ByteInLoader(uint8_t b) {
    if (loader_->BetweenFrames() && ResetSequence(b)) return;
    BootLoader::Step s = loader_->Receive(b);
    if (s.journal.empty()) return;
    ++commands_;
    std::string note;
    if (!s.reply.empty()) note = Reply(std::move(s.reply));
    Note(s.journal + note);
    if (s.exit) {
        loader_ = nullptr;
        ResetRun();
    }
}

void Simulator::EnterLoader() {
    // While a loader listens, MC1 passes everything on to it, so a reset restarts that same
    // loader (an upload tried again).
    BootLoader* target = loader_ ? loader_ : stitcherArmed_ ? &stitcherLoader_ : &motorLoader_;
    stitcherArmed_ = false;
    // Restarting the motion controller ends its motion; the stitch controller restarting
    // ends the stitching. Either way the machine stands.
    if (!loader_) ResetRun();
    loader_ = target;
    loader_->Restart();
    if (loaderRefusals_ > 0) {
        loader_->RefuseWrites(loaderRefusals_);
        loaderRefusals_ = 0;
    }
    Note("Reset " + loader_->Name() + " into its loader");
}

std::string Simulator::Reply(Bytes bytes, int64_t delay) {
    if (dropReplies_ > 0) {
        --dropReplies_;
        return " (reply dropped)";
    }
    std::string note;
    if (strayEvery_ > 0 && ++replies_ % uint64_t(strayEvery_) == 0) {
        bytes.insert(bytes.begin(), uint8_t(0xA5));
        note = " (stray byte before)";
    }
    if (garbageReplies_ > 0) {
        --garbageReplies_;
        std::fill(bytes.begin(), bytes.end(), uint8_t(0xA5));
        note = " (garbage sent)";
    }
    Pending p{now_ + delay + config_.replyDelayMicros, std::move(bytes)};
    auto at = std::upper_bound(out_.begin(), out_.end(), p.due,
                               [](int64_t due, const Pending& q) { return due < q.due; });
    out_.insert(at, std::move(p));
    return note;
}

Bytes Simulator::TakeOutput() {
    Bytes result;
    size_t taken = 0;
    while (taken < out_.size() && out_[taken].due <= now_) {
        result.insert(result.end(), out_[taken].bytes.begin(), out_[taken].bytes.end());
        ++taken;
    }
    out_.erase(out_.begin(), out_.begin() + taken);
    if (lineClosed_) result.clear();
    return result;
}

void Simulator::Advance(int64_t micros) {
    if (micros <= 0) return;
    carriage_.Advance(micros);
    now_ += micros;
}

int Simulator::StatusByte() const {
    if (errorReports_ > 0) return 254;
    if (NeedleCycling()) return 255;
    if (carriage_.StandingStill()) return 253;
    return carriage_.FreePlaces();
}

void Simulator::OnVertex() {
    std::vector<Polyline>& runs = stitching_ ? stitched_ : travel_;
    PathPoint p{carriage_.X(), carriage_.Y()};
    if (runs.empty()) runs.push_back({});
    Polyline& line = runs.back();
    if (line.empty() || line.back().x != p.x || line.back().y != p.y) line.push_back(p);
}

void Simulator::SetStitching(bool on) {
    if (on == stitching_) return;
    OnVertex();  // close the stretch travelled so far where the carriage is now
    stitching_ = on;
    std::vector<Polyline>& runs = stitching_ ? stitched_ : travel_;
    runs.push_back(Polyline{{carriage_.X(), carriage_.Y()}});
}

void Simulator::StartNeedleCycle() {
    needles_.push_back({carriage_.X(), carriage_.Y()});
    needleEnd_ = std::max(needleEnd_, now_) + config_.needleCycleMicros;
}

void Simulator::ExecuteRun() {
    const uint8_t c = frame_[0];
    const uint8_t* arg = frame_.data() + 1;
    std::string line;
    std::string note;
    auto answer = [&](Bytes bytes, const std::string& shown, int64_t delay = 0) {
        line += " -> " + shown;
        note = Reply(std::move(bytes), delay);
    };
    if (c != 64 && c != 0xFF) stitcherArmed_ = false;

    if (int slot = ConstantSlotOfSetter(c); slot >= 0) {
        constants_[slot] = ReadInt32(arg);
        line = std::string("Set") + kConstantNames[slot] + " " + std::to_string(constants_[slot]);
    } else if (int q = ConstantSlotOfQuery(c); q >= 0) {
        Bytes b;
        AppendInt32(b, constants_[q]);
        line = std::string("Get") + kConstantNames[q];
        answer(b, std::to_string(constants_[q]));
    } else if (const char* name = SilentByteName(c)) {
        line = name;
        if (c == 64) stitcherArmed_ = true;
    } else {
        switch (c) {
            case 14: {
                Bytes b{ClampByte(stitchLength_), ClampByte(speed_), ClampByte(minimumSpeed_), ClampByte(lockStitches_)};
                line = "GetStitchSettings";
                answer(b, std::to_string(b[0]) + " " + std::to_string(b[1]) + " " + std::to_string(b[2]) + " " +
                              std::to_string(b[3]));
                break;
            }
            case 15: {
                int32_t x = int32_t(std::lround(carriage_.X()));
                int32_t y = int32_t(std::lround(carriage_.Y()));
                Bytes b;
                AppendInt32(b, x);
                AppendInt32(b, y);
                line = "GetXY";
                if (dropPositions_ > 0) {
                    --dropPositions_;
                    line += " -> " + std::to_string(x) + " " + std::to_string(y);
                    note = " (reply dropped)";
                    break;
                }
                answer(b, std::to_string(x) + " " + std::to_string(y));
                break;
            }
            case 19:
                line = "Stop";
                carriage_.StopNow();
                break;
            case 21: line = "DisableX"; carriage_.SetDriven(false, carriage_.YDriven()); break;
            case 22: line = "EnableX"; carriage_.SetDriven(true, carriage_.YDriven()); break;
            case 23: line = "DisableY"; carriage_.SetDriven(carriage_.XDriven(), false); break;
            case 24: line = "EnableY"; carriage_.SetDriven(carriage_.XDriven(), true); break;
            case 25: line = "Resume"; carriage_.Resume(); break;
            case 26:
                line = "SetHome";
                carriage_.SetHome();
                (stitching_ ? stitched_ : travel_).push_back(Polyline{{0, 0}});
                break;
            case 29:
                line = "StitchOn";
                if (config_.machine == MachineKind::Serial) SetStitching(true);
                break;
            case 30:
                line = "StitchOff";
                if (config_.machine == MachineKind::Serial) SetStitching(false);
                break;
            case 33: {
                Move m;
                m.x = ReadInt32(arg);
                m.y = ReadInt32(arg + 4);
                m.feed = ReadInt32(arg + 8);
                int32_t sum = ReadInt32(arg + 12);
                m.speed = speed_;
                line = "Move " + std::to_string(m.x) + " " + std::to_string(m.y) + " " + std::to_string(m.feed) + " " +
                       std::to_string(sum);
                uint32_t expected = uint32_t(m.x) + uint32_t(m.y) + uint32_t(m.feed);
                uint8_t r = 11;
                if (uint32_t(sum) != expected) {
                    r = 12;
                    line += " checksum mismatch";
                } else if (nakMoves_ > 0) {
                    --nakMoves_;
                    r = 12;
                    line += " refused on request";
                } else if (!carriage_.Queue(m)) {
                    r = 12;
                    line += " refused: buffer full";
                }
                (r == 11 ? movesAccepted_ : movesRejected_)++;
                answer({r}, std::to_string(r));
                break;
            }
            case 34: {
                ++polls_;
                int status = StatusByte();
                Bytes b{uint8_t(status)};
                line = "CheckBuffer";
                if (status == 254) {
                    AppendInt32(b, errorCode_);
                    lastError_ = errorCode_;
                    if (--errorReports_ == 0) errorCode_ = 0;
                    answer(b, "254 " + std::to_string(lastError_));
                } else {
                    answer(b, std::to_string(status));
                }
                break;
            }
            case 44: line = "Halt"; carriage_.Halt(); break;
            case 45: line = "ClearMCBuffer"; carriage_.ClearBuffer(); break;
            case 49: {
                line = "NeedleUp";
                bool canCycle = config_.machine == MachineKind::Serial && config_.stitcherReply == 1;
                if (failNeedles_ > 0 || !canCycle) {
                    if (failNeedles_ > 0) --failNeedles_;
                    answer({251}, "251", kNeedleRefusalMicros);
                } else {
                    StartNeedleCycle();
                    answer({250}, "250", needleEnd_ - now_);
                }
                break;
            }
            case 52: {
                int32_t code = errorReports_ > 0 ? errorCode_ : lastError_;
                errorCode_ = lastError_ = errorReports_ = 0;
                Bytes b;
                AppendInt32(b, code);
                line = "GetErrors";
                answer(b, std::to_string(code));
                break;
            }
            case 53: stitchLength_ = ReadInt32(arg); line = "SetStitches " + std::to_string(stitchLength_); break;
            case 54: lockStitches_ = ReadInt32(arg); line = "SetLockStitch " + std::to_string(lockStitches_); break;
            case 55: speed_ = ReadInt32(arg); line = "SetSpeed " + std::to_string(speed_); break;
            case 57: minimumSpeed_ = ReadInt32(arg); line = "SetMinimumSpeed " + std::to_string(minimumSpeed_); break;
            case 56: {
                uint8_t d = reversed_ ? 200 : 100;
                line = "GetMotorDirection";
                answer({d}, std::to_string(d));
                break;
            }
            case 65: line = "ReverseDirection"; reversed_ = !reversed_; break;
            case 60:
            case 61: {
                float v = c == 60 ? config_.motorVersion : config_.stitcherVersion;
                Bytes b;
                AppendFloat(b, v);
                line = c == 60 ? "GetMotorVersion" : "GetStitcherVersion";
                answer(b, Float3(v));
                break;
            }
            case 62:
                line = "GetStitcher";
                if (config_.stitcherReply >= 0)
                    answer({uint8_t(config_.stitcherReply)}, std::to_string(config_.stitcherReply));
                else
                    line += " -> (no stitch controller)";
                break;
            case 66: {
                Bytes b;
                AppendFloat(b, slow_);
                line = "GetSlow";
                answer(b, Float3(slow_));
                break;
            }
            case 68: slow_ = ReadFloat(arg); line = "SetSlow " + Float3(slow_); break;
            case 72:
            case 73:
            case 74: {
                bool pressed = arg[0] != 0;
                bool& held = c == 72 ? buttonH_ : c == 73 ? buttonI_ : buttonJ_;
                bool pressEdge = pressed && !held;
                held = pressed;
                line = std::string("Button ") + char(c) + " " + std::to_string(arg[0]);
                if (config_.machine == MachineKind::Serial) break;  // no buttons wired on this machine
                if (c == 72 && config_.machine == MachineKind::Held) SetStitching(pressed);
                if (c == 72 && config_.machine == MachineKind::Buttons && pressEdge) SetStitching(!stitching_);
                if (c == 73 && pressEdge) StartNeedleCycle();
                break;
            }
            case 75: {
                uint8_t up = NeedleCycling() ? 0 : 1;
                line = "NeedlePoll";
                answer({up}, std::to_string(up));
                break;
            }
            default: {
                char buf[32];
                std::snprintf(buf, sizeof buf, "Unknown 0x%02X", c);
                line = buf;
                break;
            }
        }
    }
    Note(line + note);
}

}  // namespace mc1sim
