#pragma once
// The general exception class: every failure the program reports is one of
// these (or a unit's own class derived from it), carrying the exact message.
#include <exception>
#include <string>

namespace tarvex {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

} // namespace tarvex
