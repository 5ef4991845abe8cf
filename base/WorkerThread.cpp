#include "base/WorkerThread.h"

#include <cstdio>

CWorkerThread::~CWorkerThread() {
    Stop(std::chrono::seconds(30));
}

void CWorkerThread::Start(std::function<void()> body) {
    finished_ = std::make_shared<CEvent>();
    thread_ = std::thread([finished = finished_, body = std::move(body)] {
        body();
        finished->Set();
    });
}

bool CWorkerThread::Stop(std::chrono::milliseconds limit) {
    if (!thread_.joinable())
        return true;
    if (finished_->Wait(limit)) {
        thread_.join();
        return true;
    }
    std::fprintf(stderr, "tundrix: a worker did not end within %lld ms\n",
                 static_cast<long long>(limit.count()));
    thread_.detach();
    return false;
}
