#pragma once
// Puts a program global back as it was when the scope ends, however the test leaves it (a
// failed ASSERT returns early), so the next test run in the same process finds the program's
// own value: unit_tests run whole keep every case in one process.

template <typename T>
class RestoreOnExit {
public:
    explicit RestoreOnExit(T& global) : global_(global), saved_(global) {}
    ~RestoreOnExit() { global_ = saved_; }
    RestoreOnExit(const RestoreOnExit&) = delete;
    RestoreOnExit& operator=(const RestoreOnExit&) = delete;

private:
    T& global_;
    T saved_;
};
