// setup.exe's own pthread calls for the compiler runtime, linked as in
// setup.exe: threads that throw and catch at the same time, a static-local
// guard contended by all of them, many short threads whose exception state
// is freed as they end, the pthread mutex and condition variable calls
// themselves, and our mutex and condition variable. A plain
// program: the test framework would bring winpthreads back.
#include "platform/Clock.h"
#include "platform/Thread.h"

#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Check(bool ok, const char* what)
{
    if (ok) return;
    std::printf("FAILED: %s\n", what);
    ++failures;
}

struct Thrown {
    int value;
};

struct Derived : Thrown {
    std::string text;
};

// Throws through a few frames, rethrows, and hands an exception over by
// exception_ptr; returns the sum the catches saw.
long ThrowAndCatch(int seed, int rounds)
{
    long seen = 0;
    for (int i = 0; i < rounds; ++i) {
        try {
            try {
                if (i % 2) throw Derived{{seed + i}, std::string(40, 'x')};
                throw Thrown{seed + i};
            } catch (const Thrown& inner) {
                seen += inner.value;
                throw;
            }
        } catch (const Derived& outer) {
            seen += outer.value + static_cast<long>(outer.text.size());
        } catch (const Thrown& outer) {
            seen += outer.value;
        }
        std::exception_ptr kept;
        try {
            throw Thrown{1};
        } catch (...) {
            kept = std::current_exception();
        }
        try {
            std::rethrow_exception(kept);
        } catch (const Thrown& again) {
            seen += again.value;
        }
    }
    return seen;
}

long Expected(int seed, int rounds)
{
    long sum = 0;
    for (int i = 0; i < rounds; ++i) sum += 2L * (seed + i) + (i % 2 ? 40 : 0) + 1;
    return sum;
}

std::atomic<int> constructions{0};

struct SlowToMake {
    SlowToMake()
    {
        ++constructions;
        // Long enough for every thread to arrive while it is being made.
        tarvex::platform::SleepMilliseconds(100);
    }
};

const SlowToMake* Shared()
{
    static SlowToMake shared;
    return &shared;
}

// The lock and condition variable the runtime gets from us: recursive,
// tried from another thread, exact under contention, and waits that give
// up every level of the lock and take it back.
void RuntimePthreadCalls()
{
    using tarvex::platform::Thread;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t cond = PTHREAD_COND_INITIALIZER;

    pthread_mutex_lock(&mutex);
    pthread_mutex_lock(&mutex);
    int elsewhere = -1;
    Thread([&] { elsewhere = pthread_mutex_trylock(&mutex); }).Join();
    Check(elsewhere == EBUSY, "a held lock cannot be tried from another thread");
    Check(pthread_mutex_trylock(&mutex) == 0, "the owner may take it again");
    pthread_mutex_unlock(&mutex);
    pthread_mutex_unlock(&mutex);
    Thread([&] { elsewhere = pthread_mutex_trylock(&mutex); }).Join();
    Check(elsewhere == EBUSY, "one level still held");
    pthread_mutex_unlock(&mutex);
    Thread([&] {
        elsewhere = pthread_mutex_trylock(&mutex);
        if (elsewhere == 0) pthread_mutex_unlock(&mutex);
    }).Join();
    Check(elsewhere == 0, "released after as many unlocks as locks");

    constexpr int kThreads = 6;
    constexpr int kAdds = 20000;
    long counter = 0;
    {
        std::vector<Thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < kAdds; ++i) {
                    pthread_mutex_lock(&mutex);
                    ++counter;
                    pthread_mutex_unlock(&mutex);
                }
            });
    }
    Check(counter == long{kThreads} * kAdds, "no increment lost under the lock");

    // Tokens handed one at a time by signal to waiters that hold the lock
    // twice while they wait.
    constexpr int kTokens = 3000;
    int tokens = 0, taken = 0;
    bool closed = false;
    {
        std::vector<Thread> consumers;
        for (int t = 0; t < kThreads; ++t)
            consumers.emplace_back([&] {
                pthread_mutex_lock(&mutex);
                pthread_mutex_lock(&mutex);
                for (;;) {
                    while (tokens == 0 && !closed) pthread_cond_wait(&cond, &mutex);
                    if (tokens == 0) break;
                    --tokens;
                    ++taken;
                }
                pthread_mutex_unlock(&mutex);
                pthread_mutex_unlock(&mutex);
            });
        for (int i = 0; i < kTokens; ++i) {
            pthread_mutex_lock(&mutex);
            ++tokens;
            pthread_cond_signal(&cond);
            pthread_mutex_unlock(&mutex);
        }
        pthread_mutex_lock(&mutex);
        closed = true;
        pthread_cond_broadcast(&cond);
        pthread_mutex_unlock(&mutex);
    }
    Check(taken == kTokens && tokens == 0, "every signalled token taken once");
    Thread([&] {
        elsewhere = pthread_mutex_trylock(&mutex);
        if (elsewhere == 0) pthread_mutex_unlock(&mutex);
    }).Join();
    Check(elsewhere == 0, "waiters left the lock as they found it");
    pthread_cond_destroy(&cond);
    pthread_mutex_destroy(&mutex);
}

} // namespace

int main()
{
    using tarvex::platform::ConditionVariable;
    using tarvex::platform::Mutex;
    using tarvex::platform::Thread;

    constexpr int kThreads = 8;
    constexpr int kRounds = 3000;
    std::atomic<int> ready{0};
    std::vector<long> sums(kThreads);
    std::vector<const SlowToMake*> shared(kThreads);
    {
        std::vector<Thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                ++ready;
                while (ready < kThreads) {
                }
                shared[t] = Shared();
                sums[t] = ThrowAndCatch(t * 100000, kRounds);
            });
    }
    for (int t = 0; t < kThreads; ++t) {
        Check(sums[t] == Expected(t * 100000, kRounds), "every thread catches what it throws");
        Check(shared[t] == shared[0], "one static object for all threads");
    }
    Check(constructions == 1, "the static object is made once");

    // Each thread's exception state is made on its first throw and freed as
    // it ends; many threads in turn must neither fail nor run out of slots.
    long total = 0;
    for (int t = 0; t < 300; ++t) {
        long sum = 0;
        Thread([&sum, t] { sum = ThrowAndCatch(t, 2); }).Join();
        total += sum - Expected(t, 2);
    }
    Check(total == 0, "short threads throw and catch");

    RuntimePthreadCalls();

    // Our mutex and condition variable: a hand-over in both directions.
    Mutex mutex;
    ConditionVariable changed;
    int turn = 0;
    Thread partner([&] {
        for (int i = 0; i < 1000; ++i) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return turn % 2 == 1; });
            ++turn;
            changed.notify_all();
        }
    });
    for (int i = 0; i < 1000; ++i) {
        std::unique_lock lock(mutex);
        ++turn;
        changed.notify_all();
        changed.wait(lock, [&] { return turn % 2 == 0; });
    }
    partner.Join();
    Check(turn == 2000, "turns alternate through the condition variable");

    if (failures == 0) std::printf("all passed\n");
    return failures ? 1 : 0;
}
