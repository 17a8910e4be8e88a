#pragma once
// TBusyFlag: whether a job runs that works on an open archive (an
// extraction, the writing of a drag-out or a copy, Test Archive). Only one
// such job runs at a time: a command looks at Busy() before it starts one,
// and the window keeps its archives open and refuses to close meanwhile.
// Busy is set for the lifetime of a TScope; scopes may nest.

#include <functional>

class TBusyFlag {
public:
    TBusyFlag() = default;
    TBusyFlag(const TBusyFlag &) = delete;
    TBusyFlag &operator=(const TBusyFlag &) = delete;

    bool Busy() const { return m_Depth > 0; }
    // Called with the new state each time Busy changes.
    void SetOnChange(std::function<void(bool)> onChange) { m_OnChange = std::move(onChange); }

    class TScope {
    public:
        explicit TScope(TBusyFlag &flag);
        ~TScope();
        TScope(const TScope &) = delete;
        TScope &operator=(const TScope &) = delete;

    private:
        TBusyFlag &m_Flag;
    };

private:
    void Enter();
    void Leave();

    int m_Depth = 0;
    std::function<void(bool)> m_OnChange;
};
