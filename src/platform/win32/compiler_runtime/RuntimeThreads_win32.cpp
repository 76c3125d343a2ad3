// The pthread calls that the compiler's own runtime makes in setup.exe:
// locks of exception handling and of its unwind tables, the per-thread
// exception state (emulated thread-local storage) and static-local guards.
// Written over kernel32 here because the winpthreads library they would
// otherwise bring costs about 30 KiB. Linked into setup.exe only; a program
// that starts std::threads needs winpthreads, and the linker then reports
// these definitions twice.
#include <pthread.h>
#include <windows.h>

#include <cerrno>

// The mingw-w64 CRT runs these for a thread's TLS slot when the thread ends,
// as pthreads does for its keys.
extern "C" int ___w64_mingwthr_add_key_dtor(DWORD key, void (*dtor)(void*));
extern "C" int ___w64_mingwthr_remove_key_dtor(DWORD key);

namespace {

// pthread mutexes and condition variables are one word, a small negative
// value (or zero) until first use; then it points to the kernel32 object.
bool Created(intptr_t word) { return word > 0 || word < -3; }

template <typename T, void(WINAPI* Init)(T*), void (*Destroy)(T*)>
T* Object(intptr_t* word)
{
    const intptr_t seen = *static_cast<volatile intptr_t*>(word);
    if (Created(seen)) return reinterpret_cast<T*>(seen);
    auto* made = static_cast<T*>(HeapAlloc(GetProcessHeap(), 0, sizeof(T)));
    if (!made) return nullptr;
    Init(made);
    const auto before = reinterpret_cast<intptr_t>(InterlockedCompareExchangePointer(
        reinterpret_cast<void* volatile*>(word), made, reinterpret_cast<void*>(seen)));
    if (before == seen) return made;
    // Another thread made it first.
    Destroy(made);
    HeapFree(GetProcessHeap(), 0, made);
    return reinterpret_cast<T*>(before);
}

void DeleteSection(CRITICAL_SECTION* section) { DeleteCriticalSection(section); }
void NoCleanup(CONDITION_VARIABLE*) {}

// Critical sections are recursive, which also serves the recursive mutexes
// of the static-local guards.
CRITICAL_SECTION* Section(pthread_mutex_t* mutex)
{
    return Object<CRITICAL_SECTION, InitializeCriticalSection, DeleteSection>(mutex);
}

CONDITION_VARIABLE* Variable(pthread_cond_t* cond)
{
    return Object<CONDITION_VARIABLE, InitializeConditionVariable, NoCleanup>(cond);
}

template <typename T, void (*Destroy)(T*)>
void Release(intptr_t* word)
{
    const intptr_t seen = *word;
    *word = static_cast<intptr_t>(GENERIC_INITIALIZER);
    if (!Created(seen)) return;
    Destroy(reinterpret_cast<T*>(seen));
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
    Release<CRITICAL_SECTION, DeleteSection>(mutex);
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    CRITICAL_SECTION* section = Section(mutex);
    if (!section) return ENOMEM;
    EnterCriticalSection(section);
    return 0;
}

int pthread_mutex_trylock(pthread_mutex_t* mutex)
{
    CRITICAL_SECTION* section = Section(mutex);
    if (!section) return ENOMEM;
    return TryEnterCriticalSection(section) ? 0 : EBUSY;
}

int pthread_mutex_unlock(pthread_mutex_t* mutex)
{
    LeaveCriticalSection(Section(mutex));
    return 0;
}

int pthread_cond_init(pthread_cond_t* cond, const pthread_condattr_t*)
{
    *cond = PTHREAD_COND_INITIALIZER;
    return 0;
}

int pthread_cond_destroy(pthread_cond_t* cond)
{
    Release<CONDITION_VARIABLE, NoCleanup>(cond);
    return 0;
}

int pthread_cond_wait(pthread_cond_t* cond, pthread_mutex_t* mutex)
{
    CONDITION_VARIABLE* variable = Variable(cond);
    if (!variable) return ENOMEM;
    return SleepConditionVariableCS(variable, Section(mutex), INFINITE) ? 0 : EINVAL;
}

int pthread_cond_signal(pthread_cond_t* cond)
{
    CONDITION_VARIABLE* variable = Variable(cond);
    if (!variable) return ENOMEM;
    WakeConditionVariable(variable);
    return 0;
}

int pthread_cond_broadcast(pthread_cond_t* cond)
{
    CONDITION_VARIABLE* variable = Variable(cond);
    if (!variable) return ENOMEM;
    WakeAllConditionVariable(variable);
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
    while (*static_cast<volatile pthread_once_t*>(once) != 2) SwitchToThread();
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
