#pragma once
// COM for the calling thread, for the life of the scope. A start that
// succeeded (S_FALSE too: the thread's count went up) is balanced at the
// end; a thread in the other apartment model was not started by us and is
// left as it is.
namespace tarvex::platform {

class ComApartment {
public:
    enum class Start {
        Fresh, // COM must start here: Exception("Shortcut error") otherwise
        Join,  // the thread's COM as it is found, started when it is not
    };
    explicit ComApartment(Start start = Start::Fresh);
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool started_ = false;
};

} // namespace tarvex::platform
