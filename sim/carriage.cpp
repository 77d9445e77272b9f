#include "carriage.h"

#include <algorithm>
#include <cmath>

namespace mc1sim {

bool Carriage::Queue(const Move& m) {
    if (Queued() >= kPlaces) return false;
    buffer_.push_back(m);
    TakeNext();
    return true;
}

void Carriage::TakeNext() {
    if (current_ || halted_ || buffer_.empty()) return;
    current_ = buffer_.front();
    buffer_.pop_front();
}

void Carriage::StopNow() {
    halted_ = true;
    lagX_ = lagY_ = 0;
    if (current_) {
        current_.reset();
        Vertex();
    }
}

void Carriage::SetHome() {
    // A move in progress was given in the old coordinates; shifting its target keeps the
    // carriage heading for the same spot on the quilt.
    if (current_) {
        current_->x -= int32_t(std::lround(x_ * 100));
        current_->y -= int32_t(std::lround(y_ * 100));
    }
    if (glide_) {
        glide_->fromX -= x_;
        glide_->fromY -= y_;
        glide_->toX -= x_;
        glide_->toY -= y_;
    }
    x_ = y_ = 0;
}

bool Carriage::HandMove(double x, double y) {
    if (xDriven_ && yDriven_) return false;
    glide_.reset();
    double nx = xDriven_ ? x_ : x;
    double ny = yDriven_ ? y_ : y;
    travel_thou_ += std::hypot(nx - x_, ny - y_);
    x_ = nx;
    y_ = ny;
    lagX_ = lagY_ = 0;
    Vertex();
    return true;
}

bool Carriage::Glide(double x, double y, int64_t micros) {
    if (xDriven_ && yDriven_) return false;
    if (micros <= 0) return HandMove(x, y);
    glide_ = GlideState{x_, y_, x, y, micros, 0};
    return true;
}

// The hand moves the released axes; an axis the motor holds again stays where the motor
// keeps it, so only released axes follow the line.
void Carriage::AdvanceGlide(int64_t dtMicros) {
    if (!glide_) return;
    GlideState& g = *glide_;
    g.done = std::min(g.total, g.done + dtMicros);
    double t = double(g.done) / double(g.total);
    double nx = xDriven_ ? x_ : g.fromX + (g.toX - g.fromX) * t;
    double ny = yDriven_ ? y_ : g.fromY + (g.toY - g.fromY) * t;
    if (g.done == g.total) {
        if (!xDriven_) nx = g.toX;
        if (!yDriven_) ny = g.toY;
    }
    travel_thou_ += std::hypot(nx - x_, ny - y_);
    x_ = nx;
    y_ = ny;
    if (g.done == g.total) {
        glide_.reset();
        Vertex();
    }
}

double Carriage::SpeedThouPerSecond(const Move& m) {
    double feed_percent = std::max(m.feed / 1000.0, 1.0);
    double tenthsInchPerSecond = std::max<int32_t>(m.speed, 0) * feed_percent / 100.0;
    return std::max(tenthsInchPerSecond * 100.0, kFloorThouPerSecond);
}

void Carriage::Advance(int64_t dtMicros) {
    AdvanceGlide(dtMicros);
    double seconds = dtMicros / 1e6;
    while (seconds > 0) {
        TakeNext();
        if (!current_) return;
        if (stalled_) return;
        // Distances in the controller's own reckoning: a slipping axis lags behind it.
        double dx = xDriven_ ? current_->x / 100.0 - (x_ + lagX_) : 0.0;
        double dy = yDriven_ ? current_->y / 100.0 - (y_ + lagY_) : 0.0;
        double dist = std::hypot(dx, dy);
        double v = SpeedThouPerSecond(*current_);
        double need = dist / v;
        if (need <= seconds) {
            seconds -= need;
            if (xDriven_) {
                x_ = slipX_ < 1 ? x_ + dx * slipX_ : current_->x / 100.0;
                lagX_ = current_->x / 100.0 - x_;
            }
            if (yDriven_) {
                y_ = slipY_ < 1 ? y_ + dy * slipY_ : current_->y / 100.0;
                lagY_ = current_->y / 100.0 - y_;
            }
            travel_thou_ += dist;
            current_.reset();
            ++movesDone_;
            Vertex();
            TakeNext();
        } else {
            double frac = v * seconds / dist;
            x_ += dx * frac * slipX_;
            y_ += dy * frac * slipY_;
            lagX_ += dx * frac * (1 - slipX_);
            lagY_ += dy * frac * (1 - slipY_);
            travel_thou_ += v * seconds;
            seconds = 0;
        }
    }
}

}  // namespace mc1sim
