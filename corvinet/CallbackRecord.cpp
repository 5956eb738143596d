// The callback module: calling, queueing, counting and ending the callback records of device.h.
// The library and every device plug-in compile this file, so it depends on nothing but the
// record's layout and POSIX threads.

#include "CallbackRecord.h"

#include <cstdlib>

#define CORVINET_HIDDEN __attribute__((visibility("hidden")))

namespace {

bool isRecord(const QKCallbackRecord* record, int32_t kind) {
    return record && record->magic == QKCALLBACK_MAGIC && record->kind == kind;
}

int32_t runYield(const QKCallbackRecord& record, QKLinkRecord* link, QKYieldParameters yp) {
    auto function = reinterpret_cast<QKYieldProc>(record.function);
    return function ? function(link, yp) : 0;
}

void runHandler(const QKCallbackRecord& record, const QKCallbackCall& call) {
    auto function = reinterpret_cast<QKMessageProc>(record.function);
    if (function) function(call.link, call.code, call.parameter);
}

// Takes the first queued call; the record's lock is held.
QKCallbackCall* popCall(QKCallbackRecord& record) {
    QKCallbackCall* call = record.queueHead;
    if (call) {
        record.queueHead = call->next;
        if (!record.queueHead) record.queueTail = nullptr;
        call->next = nullptr;
    }
    return call;
}

void pushCall(QKCallbackRecord& record, QKCallbackCall* call) {
    call->next = nullptr;
    if (record.queueTail)
        record.queueTail->next = call;
    else
        record.queueHead = call;
    record.queueTail = call;
}

// Answers a call that will not run: a waiting yield caller gets 1, a handler call is freed. The
// record's lock is held.
void dropCall(QKCallbackRecord& record, QKCallbackCall* call) {
    if (record.kind == QKCALLBACK_YIELD) {
        call->result = 1;
        call->done = 1;
    } else {
        std::free(call);
    }
}

// The callback thread: serves the queue until the record is destroyed, then answers what is
// left. It holds a reference of its own, so a detached thread never outlives the memory.
void* serve(void* argument) {
    auto& record = *static_cast<QKCallbackRecord*>(argument);
    pthread_mutex_lock(&record.lock);
    for (;;) {
        while (!record.queueHead && !record.destroyed)
            pthread_cond_wait(&record.changed, &record.lock);
        if (record.destroyed) break;
        QKCallbackCall* call = popCall(record);
        pthread_mutex_unlock(&record.lock);
        if (record.kind == QKCALLBACK_YIELD) {
            int32_t result = runYield(record, call->link, call->parameters);
            pthread_mutex_lock(&record.lock);
            call->result = result;
            call->done = 1;
            pthread_cond_broadcast(&record.changed);
        } else {
            runHandler(record, *call);
            std::free(call);
            pthread_mutex_lock(&record.lock);
        }
    }
    while (QKCallbackCall* call = popCall(record))
        dropCall(record, call);
    pthread_cond_broadcast(&record.changed);
    pthread_mutex_unlock(&record.lock);
    qkCallbackRelease(&record);
    return nullptr;
}

} // namespace

extern "C" {

CORVINET_HIDDEN void qkCallbackRetain(QKCallbackRecord* record) {
    if (record) __atomic_add_fetch(&record->refs, 1, __ATOMIC_RELAXED);
}

CORVINET_HIDDEN void qkCallbackRelease(QKCallbackRecord* record) {
    if (!record || __atomic_sub_fetch(&record->refs, 1, __ATOMIC_ACQ_REL) != 0) return;
    while (QKCallbackCall* call = popCall(*record))
        dropCall(*record, call);
    pthread_cond_destroy(&record->changed);
    pthread_mutex_destroy(&record->lock);
    record->magic = 0;
    std::free(record);
}

CORVINET_HIDDEN int32_t qkCallbackYield(QKCallbackRecord* record, QKLinkRecord* link,
                                        QKYieldParameters parameters) {
    if (!isRecord(record, QKCALLBACK_YIELD)) return 1;
    qkCallbackRetain(record);
    pthread_mutex_lock(&record->lock);
    int32_t result = 1;
    if (record->destroyed) {
        pthread_mutex_unlock(&record->lock);
    } else if (!record->threaded || pthread_equal(pthread_self(), record->owner)) {
        pthread_mutex_unlock(&record->lock);
        result = runYield(*record, link, parameters);
    } else {
        QKCallbackCall call{};
        call.link = link;
        call.parameters = parameters;
        pushCall(*record, &call);
        pthread_cond_broadcast(&record->changed);
        while (!call.done)
            pthread_cond_wait(&record->changed, &record->lock);
        result = call.result;
        pthread_mutex_unlock(&record->lock);
    }
    qkCallbackRelease(record);
    return result;
}

CORVINET_HIDDEN int32_t qkCallbackMessage(QKCallbackRecord* record, QKLinkRecord* link,
                                          int32_t code, int32_t parameter) {
    if (!isRecord(record, QKCALLBACK_HANDLER)) return 0;
    auto* call = static_cast<QKCallbackCall*>(std::calloc(1, sizeof(QKCallbackCall)));
    if (!call) return 0;
    call->link = link;
    call->code = code;
    call->parameter = parameter;
    qkCallbackRetain(record);
    pthread_mutex_lock(&record->lock);
    int32_t result = 0;
    if (record->destroyed) {
        pthread_mutex_unlock(&record->lock);
        std::free(call);
    } else if (!record->threaded) {
        pthread_mutex_unlock(&record->lock);
        runHandler(*record, *call);
        std::free(call);
        result = 1;
    } else {
        pushCall(*record, call);
        pthread_cond_broadcast(&record->changed);
        pthread_mutex_unlock(&record->lock);
        result = 1;
    }
    qkCallbackRelease(record);
    return result;
}

} // extern "C"

namespace corvinet {

QKCallbackRecord* makeCallbackRecord(int32_t kind, void (*function)(void), bool threaded) {
    if (!function) return nullptr;
    auto* record = static_cast<QKCallbackRecord*>(std::calloc(1, sizeof(QKCallbackRecord)));
    if (!record) return nullptr;
    record->magic = QKCALLBACK_MAGIC;
    record->kind = kind;
    record->function = function;
    record->owner = pthread_self();
    record->refs = 1;
    if (pthread_mutex_init(&record->lock, nullptr) != 0) {
        std::free(record);
        return nullptr;
    }
    if (pthread_cond_init(&record->changed, nullptr) != 0) {
        pthread_mutex_destroy(&record->lock);
        std::free(record);
        return nullptr;
    }
    if (threaded) {
        qkCallbackRetain(record); // the callback thread's
        pthread_t thread;
        if (pthread_create(&thread, nullptr, serve, record) == 0) {
            record->owner = thread;
            record->threaded = 1;
        } else {
            qkCallbackRelease(record);
        }
    }
    return record;
}

void (*destroyCallbackRecord(QKCallbackRecord* record))(void) {
    pthread_mutex_lock(&record->lock);
    if (record->destroyed) {
        pthread_mutex_unlock(&record->lock);
        return nullptr;
    }
    record->destroyed = 1;
    void (*function)(void) = record->function;
    pthread_cond_broadcast(&record->changed);
    pthread_mutex_unlock(&record->lock);
    if (record->threaded) {
        if (pthread_equal(pthread_self(), record->owner))
            pthread_detach(record->owner);
        else
            pthread_join(record->owner, nullptr);
    }
    qkCallbackRelease(record);
    return function;
}

} // namespace corvinet
