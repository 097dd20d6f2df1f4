// The few thread primitives that the C++ exception runtime asks for, for a
// program with exactly one thread. The compiler's thread model would
// otherwise link the whole POSIX-threads library (about 32 KB) into the
// statically linked image for locks that can never be contended.
// Linked into the two programs only, never into the multi-threaded tests.

namespace {
constexpr unsigned KEY_CAPACITY = 8;
void* keyValues[KEY_CAPACITY];
unsigned keysUsed = 0;
} // namespace

extern "C" {

int pthread_once(long* once, void (*initialise)(void))
{
    if (*once == 0) {
        *once = 1;
        initialise();
    }
    return 0;
}

int pthread_mutex_init(void*, const void*)
{
    return 0;
}

int pthread_mutex_destroy(void*)
{
    return 0;
}

int pthread_mutex_lock(void*)
{
    return 0;
}

int pthread_mutex_unlock(void*)
{
    return 0;
}

int pthread_key_create(unsigned* key, void (*)(void*))
{
    if (keysUsed == KEY_CAPACITY)
        return 11; // EAGAIN
    *key = keysUsed++;
    return 0;
}

void* pthread_getspecific(unsigned key)
{
    return key < keysUsed ? keyValues[key] : nullptr;
}

int pthread_setspecific(unsigned key, const void* value)
{
    if (key >= keysUsed)
        return 22; // EINVAL
    keyValues[key] = const_cast<void*>(value);
    return 0;
}
}
