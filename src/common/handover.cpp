#include "src/common/handover.h"

#include <mutex>
#include <vector>

struct THandover::TState
{
    std::mutex mutex;
    // Null once the object is gone.
    THandover *target = nullptr;
    std::vector<TCall> calls;

    void Post(TCall call)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!target || !call)
            return;
        calls.push_back(std::move(call));
        // One wake for what waits; asked under the lock, so the target cannot go meanwhile.
        // By name and without arguments: nothing of ours travels in Qt's event.
        if (calls.size() == 1)
            QMetaObject::invokeMethod(target, "Run", Qt::QueuedConnection);
    }
};

THandover::THandover(QObject *parent) : QObject(parent), d_state(std::make_shared<TState>())
{
    d_state->target = this;
}

THandover::~THandover()
{
    std::vector<TCall> dropped;
    {
        std::lock_guard<std::mutex> lock(d_state->mutex);
        d_state->target = nullptr;
        dropped.swap(d_state->calls);
    }
}

void THandover::Post(TCall call) const
{
    d_state->Post(std::move(call));
}

THandover::TPost THandover::Poster() const
{
    const std::shared_ptr<TState> state = d_state;
    return [state](TCall call) { state->Post(std::move(call)); };
}

void THandover::Run()
{
    std::vector<TCall> calls;
    {
        std::lock_guard<std::mutex> lock(d_state->mutex);
        calls.swap(d_state->calls);
    }
    for (const TCall &call : calls)
        call();
}
