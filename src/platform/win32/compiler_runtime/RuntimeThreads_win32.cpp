// The pthread calls that the compiler's own runtime makes in setup.exe:
// locks of exception handling and of its unwind tables, the per-thread
// exception state (emulated thread-local storage) and static-local guards.
// Written over kernel32 here because the winpthreads library they would
// otherwise bring costs about 30 KiB, and over what Windows 98 and NT 4.0
// export (PortableSync.h) because winpthreads needs newer systems. Linked into setup.exe only; a program
// that starts std::threads needs winpthreads, and the linker then reports
// these definitions twice.
#include "platform/win32/PortableSync.h"

#include <pthread.h>
#include <windows.h>

#include <cerrno>

// The mingw-w64 CRT runs these for a thread's TLS slot when the thread ends,
// as pthreads does for its keys.
extern "C" int ___w64_mingwthr_add_key_dtor(DWORD key, void (*dtor)(void*));
extern "C" int ___w64_mingwthr_remove_key_dtor(DWORD key);

namespace {

using tarvex::platform::portable::Condition;
namespace portable = tarvex::platform::portable;

// A critical section, recursive as the static-local guards' mutexes need,
// and how deep its owner holds it, for the waits that release every level.
struct Lock {
    CRITICAL_SECTION section;
    unsigned depth;
};

bool Create(Lock& lock)
{
    InitializeCriticalSection(&lock.section);
    lock.depth = 0;
    return true;
}

void Destroy(Lock& lock) { DeleteCriticalSection(&lock.section); }
// Conditions: portable::Create and Destroy, found by their argument.

void Acquire(Lock& lock)
{
    EnterCriticalSection(&lock.section);
    ++lock.depth;
}

void Release(Lock& lock)
{
    --lock.depth;
    LeaveCriticalSection(&lock.section);
}

// TryEnterCriticalSection starts at NT 4.0. Without it a try fails, which
// std::mutex::try_lock, the runtime's only user, is allowed to do.
bool TryAcquire(Lock& lock)
{
    using TryEnter = BOOL(WINAPI*)(CRITICAL_SECTION*);
    static const auto tryEnter = reinterpret_cast<TryEnter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "TryEnterCriticalSection")));
    if (!tryEnter || !tryEnter(&lock.section)) return false;
    ++lock.depth;
    return true;
}

// pthread mutexes and condition variables are one word, a small negative
// value (or zero) until first use; then it points to our object.
bool Created(intptr_t word) { return word > 0 || word < -3; }

template <typename T>
T* Object(intptr_t* word)
{
    const intptr_t seen = *static_cast<volatile intptr_t*>(word);
    if (Created(seen)) return reinterpret_cast<T*>(seen);
    auto* made = static_cast<T*>(HeapAlloc(GetProcessHeap(), 0, sizeof(T)));
    if (!made) return nullptr;
    if (!Create(*made)) {
        HeapFree(GetProcessHeap(), 0, made);
        return nullptr;
    }
    const auto before = reinterpret_cast<intptr_t>(InterlockedCompareExchangePointer(
        reinterpret_cast<void* volatile*>(word), made, reinterpret_cast<void*>(seen)));
    if (before == seen) return made;
    // Another thread made it first.
    Destroy(*made);
    HeapFree(GetProcessHeap(), 0, made);
    return reinterpret_cast<T*>(before);
}

Lock* MutexLock(pthread_mutex_t* mutex) { return Object<Lock>(mutex); }
Condition* Variable(pthread_cond_t* cond) { return Object<Condition>(cond); }

template <typename T>
void Release(intptr_t* word)
{
    const intptr_t seen = *word;
    *word = static_cast<intptr_t>(GENERIC_INITIALIZER);
    if (!Created(seen)) return;
    Destroy(*reinterpret_cast<T*>(seen));
    HeapFree(GetProcessHeap(), 0, reinterpret_cast<void*>(seen));
}

} // namespace

int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*)
{
    *mutex = PTHREAD_MUTEX_INITIALIZER;
    return 0;
}

int pthread_mutex_destroy(pthread_mutex_t* mutex)
{
    Release<Lock>(mutex);
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    Lock* lock = MutexLock(mutex);
    if (!lock) return ENOMEM;
    Acquire(*lock);
    return 0;
}

int pthread_mutex_trylock(pthread_mutex_t* mutex)
{
    Lock* lock = MutexLock(mutex);
    if (!lock) return ENOMEM;
    return TryAcquire(*lock) ? 0 : EBUSY;
}

int pthread_mutex_unlock(pthread_mutex_t* mutex)
{
    Release(*MutexLock(mutex));
    return 0;
}

int pthread_cond_init(pthread_cond_t* cond, const pthread_condattr_t*)
{
    *cond = PTHREAD_COND_INITIALIZER;
    return 0;
}

int pthread_cond_destroy(pthread_cond_t* cond)
{
    Release<Condition>(cond);
    return 0;
}

int pthread_cond_wait(pthread_cond_t* cond, pthread_mutex_t* mutex)
{
    Condition* variable = Variable(cond);
    if (!variable) return ENOMEM;
    Lock* lock = MutexLock(mutex);
    // Every level is given up while waiting, and taken back after.
    const unsigned depth = lock->depth;
    portable::Wait(
        *variable,
        [&] {
            for (unsigned i = 0; i < depth; ++i) Release(*lock);
        },
        [&] {
            for (unsigned i = 0; i < depth; ++i) Acquire(*lock);
        });
    return 0;
}

int pthread_cond_signal(pthread_cond_t* cond)
{
    Condition* variable = Variable(cond);
    if (!variable) return ENOMEM;
    portable::WakeOne(*variable);
    return 0;
}

int pthread_cond_broadcast(pthread_cond_t* cond)
{
    Condition* variable = Variable(cond);
    if (!variable) return ENOMEM;
    portable::WakeAll(*variable);
    return 0;
}

int pthread_once(pthread_once_t* once, void (*routine)(void))
{
    // 0: not run, 1: running, 2: done. Latecomers wait for the first caller.
    if (InterlockedCompareExchange(once, 1, 0) == 0) {
        routine();
        InterlockedExchange(once, 2);
        return 0;
    }
    // Sleep(1), not Sleep(0): the first caller may have a lower priority.
    while (*static_cast<volatile pthread_once_t*>(once) != 2) Sleep(1);
    return 0;
}

int pthread_key_create(pthread_key_t* key, void (*destructor)(void*))
{
    const DWORD slot = TlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES) return EAGAIN;
    if (destructor && ___w64_mingwthr_add_key_dtor(slot, destructor) != 0) {
        TlsFree(slot);
        return ENOMEM;
    }
    *key = slot;
    return 0;
}

int pthread_key_delete(pthread_key_t key)
{
    ___w64_mingwthr_remove_key_dtor(key);
    return TlsFree(key) ? 0 : EINVAL;
}

void* pthread_getspecific(pthread_key_t key)
{
    // TlsGetValue clears the last error, which a caller may not have read yet.
    const DWORD lastError = GetLastError();
    void* value = TlsGetValue(key);
    SetLastError(lastError);
    return value;
}

int pthread_setspecific(pthread_key_t key, const void* value)
{
    return TlsSetValue(key, const_cast<void*>(value)) ? 0 : ENOMEM;
}
