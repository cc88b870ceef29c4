#ifndef QUORVEX_HANDOVER_H
#define QUORVEX_HANDOVER_H

#include <QObject>

#include <functional>
#include <memory>

// Calls handed from any thread to the thread this object lives on, in the
// order they were posted. Qt's queued calls carry what they hold through a
// lock inside Qt's own library, which the tools that check our threads cannot
// see; this hand-over takes a lock of ours. A call posted after the object is
// gone (its owner deleted while a thread left behind still posts) is dropped,
// never run.
class THandover : public QObject
{
    Q_OBJECT

public:
    using TCall = std::function<void()>;
    using TPost = std::function<void(TCall)>;

    explicit THandover(QObject *parent = nullptr);
    ~THandover() override;

    void Post(TCall call) const;
    // What a thread posts with; it holds nothing of this object but the shared hand-over.
    TPost Poster() const;

private slots:
    void Run();

private:
    struct TState;
    std::shared_ptr<TState> d_state;
};

#endif
