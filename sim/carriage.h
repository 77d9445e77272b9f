#pragma once
// The carriage and the controller's move buffer.
//
// Units, chosen to look like a long-arm quilting machine on a robot frame:
//   - positions are thousandths of an inch ("thou"), kept as doubles so that a move lands
//     exactly on its target; the line reports them rounded to whole thou;
//   - a move packet carries hundred-thousandths of an inch and a feed in percent x 1000;
//   - a SetSpeed value is the carriage speed at feed 100 % in tenths of an inch per second,
//     so the usual settings 10..100 give 1..10 inches per second (speed 40 = 4 in/s);
//   - the speed of a move is speed x feed / 100, with the feed taken as at least 1 % and
//     the result as at least kFloorThouPerSecond, so that feed 0 or speed 0 never stalls
//     the carriage;
//   - time is simulated microseconds, advanced by the owner (tests step it explicitly,
//     the executable follows the wall clock scaled by --time-scale).
//
// The buffer holds 99 moves. A move leaves the buffer when the carriage starts on it, so the
// move being executed no longer counts as a taken place. While halted the carriage finishes
// the move it is on but takes no new one. A released axis is not driven: it keeps its place
// during moves and only a hand move changes it.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace mc1sim {

struct Move {
    int32_t x = 0;     // hundred-thousandths of an inch
    int32_t y = 0;
    int32_t feed = 0;  // percent x 1000
    int32_t speed = 0; // the SetSpeed value in force when the move was accepted
};

class Carriage {
public:
    static constexpr int kPlaces = 99;
    static constexpr double kFloorThouPerSecond = 50.0;

    // Called whenever the carriage ends a straight stretch: a move finished, a stop, a hand move.
    std::function<void()> onVertex;

    bool Queue(const Move& m);  // false when all 99 places are taken
    int Queued() const { return int(buffer_.size()); }
    int FreePlaces() const { return kPlaces - Queued(); }
    bool Executing() const { return current_.has_value(); }
    bool StandingStill() const { return buffer_.empty() && !current_; }

    void ClearBuffer() { buffer_.clear(); }
    void StopNow();  // abandons the move in progress where the carriage is and halts
    void Halt() { halted_ = true; }
    void Resume() {
        halted_ = false;
        TakeNext();
    }
    bool Halted() const { return halted_; }

    void SetDriven(bool x, bool y) {
        if (x != xDriven_) lagX_ = 0;  // a motor switched on or off counts from where it stands
        if (y != yDriven_) lagY_ = 0;
        xDriven_ = x;
        yDriven_ = y;
    }
    bool XDriven() const { return xDriven_; }
    bool YDriven() const { return yDriven_; }
    void SetStalled(bool s) { stalled_ = s; }
    // A slipping axis covers only fraction f (0 < f <= 1) of each move it is driven
    // through, like a motor whose belt slips: the move still ends, short of its target, and
    // the controller keeps counting from where it believed it was. 1 is no slip.
    void SetSlip(double fx, double fy) { slipX_ = fx; slipY_ = fy; }
    double SlipX() const { return slipX_; }
    double SlipY() const { return slipY_; }
    bool Stalled() const { return stalled_; }

    double X() const { return x_; }
    double Y() const { return y_; }
    void SetHome();  // the current place becomes (0, 0); a move in progress keeps its target
    // Pushes released axes to (x, y); held axes stay. Returns false when both are held.
    bool HandMove(double x, double y);
    // Pushes released axes along a straight line from where they are to (x, y), arriving
    // after micros of simulated time (0: at once, as HandMove). Held axes stay. A hand move
    // or a new glide ends the one under way. Returns false when both are held.
    bool Glide(double x, double y, int64_t micros);
    bool Gliding() const { return glide_.has_value(); }

    // Moves the carriage along its moves for dtMicros of simulated time.
    void Advance(int64_t dtMicros);

    uint64_t MovesDone() const { return movesDone_; }
    double Travel_thou() const { return travel_thou_; }

    static double SpeedThouPerSecond(const Move& m);

private:
    void Vertex() { if (onVertex) onVertex(); }
    void TakeNext();  // starts on the next move when free to
    void AdvanceGlide(int64_t dtMicros);

    struct GlideState {
        double fromX, fromY, toX, toY;
        int64_t total, done;
    };
    std::optional<GlideState> glide_;

    std::deque<Move> buffer_;
    std::optional<Move> current_;
    double x_ = 0, y_ = 0;
    bool halted_ = false;
    bool xDriven_ = true, yDriven_ = true;
    bool stalled_ = false;
    double slipX_ = 1, slipY_ = 1;
    double lagX_ = 0, lagY_ = 0;  // commanded minus actual place, from slipping
    uint64_t movesDone_ = 0;
    double travel_thou_ = 0;
};

}  // namespace mc1sim
