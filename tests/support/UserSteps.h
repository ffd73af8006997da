#pragma once
// What the user does while a modal window runs, one step per tick of a thread timer: a
// test queues the steps, then opens the window, whose own message loop runs them.
#include <windows.h>

#include <deque>
#include <functional>

class UserSteps {
public:
    UserSteps() : timer_(SetTimer(nullptr, 0, 30, NextStep)) {}
    ~UserSteps() {
        KillTimer(nullptr, timer_);
        Queue().clear();
    }
    UserSteps(const UserSteps&) = delete;
    UserSteps& operator=(const UserSteps&) = delete;

    // Replaces the steps still waiting.
    void operator=(std::deque<std::function<void()>> steps) { Queue() = std::move(steps); }

private:
    static std::deque<std::function<void()>>& Queue() {
        static std::deque<std::function<void()>> steps;
        return steps;
    }
    static void CALLBACK NextStep(HWND, UINT, UINT_PTR, DWORD) {
        if (Queue().empty()) return;
        auto step = std::move(Queue().front());
        Queue().pop_front();
        step();
    }

    UINT_PTR timer_;
};
