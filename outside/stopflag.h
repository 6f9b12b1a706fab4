#pragma once

#include <atomic>
#include <memory>

// The one way to ask work in another thread to give up: copies share one flag, so the
// side that raises it and the work that looks at it each hold their own copy.
class StopFlag
{
public:
    void raise() const { state->store(true); }
    bool isRaised() const { return state->load(); }

private:
    std::shared_ptr<std::atomic<bool>> state = std::make_shared<std::atomic<bool>>(false);
};
