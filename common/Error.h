#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace masume {

// The one exception type of the program. Its message is the text the user
// sees in the error box, in UTF-8, exactly as the program's message table
// gives it with its fields filled in.
class Error : public std::runtime_error
{
public:
    explicit Error(const std::string &message)
        : std::runtime_error(message)
    {
    }
};

// A field for a message pattern: text for "%s", a number for "%d".
class MessageArg
{
public:
    MessageArg(std::string_view text)
        : m_text(text)
    {
    }
    MessageArg(const char *text)
        : m_text(text)
    {
    }
    MessageArg(const std::string &text)
        : m_text(text)
    {
    }
    MessageArg(int value)
        : m_text(std::to_string(value))
    {
    }
    MessageArg(long value)
        : m_text(std::to_string(value))
    {
    }
    MessageArg(long long value)
        : m_text(std::to_string(value))
    {
    }
    const std::string &text() const { return m_text; }

private:
    std::string m_text;
};

// Fills "%s" and "%d" of pattern from left to right with args; "%%" is a
// single "%". Fields beyond args stay as they are.
std::string formatMessage(std::string_view pattern, std::initializer_list<MessageArg> args = {});

// Every error of the program is raised here.
[[noreturn]] void raise(std::string_view pattern, std::initializer_list<MessageArg> args = {});

} // namespace masume
