// The dispatcher of the running program: bodies are queued to a QObject living in the GUI thread.
#pragma once

#include "platform/MainThread.h"

#include <QObject>

class TQtMainThread : public QObject, public TMainThread {
    Q_OBJECT
public:
    // Must be created in the GUI thread, after the QApplication.
    TQtMainThread();
    ~TQtMainThread() override;
    bool invoke(const std::function<void()>& fn, const std::atomic<bool>* cancel = nullptr) override;
    void post(std::function<void()> fn) override;
    bool isMainThread() const override;
    // Drops everything still queued and refuses new calls; waiting callers return false.
    void shutdown();

private:
    std::mutex Lock;
    bool Closed = false;
    std::vector<std::weak_ptr<TInvokeCall>> Pending;
};

// Installs a TQtMainThread for the life of the program (or of a UI test).
class TQtMainThreadScope {
public:
    TQtMainThreadScope() : Previous(TMainThread::setInstance(&Dispatcher)) {}
    ~TQtMainThreadScope()
    {
        Dispatcher.shutdown();
        TMainThread::setInstance(Previous);
    }
    TQtMainThread Dispatcher;

private:
    TMainThread* Previous;
};
