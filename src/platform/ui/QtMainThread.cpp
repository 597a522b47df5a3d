#include "platform/ui/QtMainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

TQtMainThread::TQtMainThread() {}

TQtMainThread::~TQtMainThread() { shutdown(); }

bool TQtMainThread::isMainThread() const { return QThread::currentThread() == thread(); }

bool TQtMainThread::invoke(const std::function<void()>& fn, const std::atomic<bool>* cancel)
{
    return invokeVia(fn, cancel, [this](const std::shared_ptr<TInvokeCall>& call) {
        {
            std::lock_guard<std::mutex> g(Lock);
            if (Closed)
                return false;
            std::erase_if(Pending, [](const std::weak_ptr<TInvokeCall>& w) { return w.expired(); });
            Pending.push_back(call);
        }
        QMetaObject::invokeMethod(this, [call] { call->run(); }, Qt::QueuedConnection);
        return true;
    });
}

void TQtMainThread::post(std::function<void()> fn)
{
    {
        std::lock_guard<std::mutex> g(Lock);
        if (Closed)
            return;
    }
    QMetaObject::invokeMethod(this, [this, fn = std::move(fn)] {
        {
            std::lock_guard<std::mutex> g(Lock);
            if (Closed)
                return;
        }
        fn();
    }, Qt::QueuedConnection);
}

void TQtMainThread::shutdown()
{
    std::vector<std::weak_ptr<TInvokeCall>> pending;
    {
        std::lock_guard<std::mutex> g(Lock);
        Closed = true;
        pending.swap(Pending);
    }
    for (auto& w : pending)
        if (auto c = w.lock())
            c->drop();
}
