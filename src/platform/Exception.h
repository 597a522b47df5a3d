// The one exception base of the program and its named kinds. Every error carries the message the user sees;
// messages are the system's own texts, never composed from a description-document text used as a format.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    std::string Message;
};

#define ORLANTIS_EXCEPTION(Name, Base)                       \
    class Name : public Base {                               \
    public:                                                  \
        explicit Name(std::string message) : Base(std::move(message)) {} \
    }

// A text that is no number, no boolean, no date where one is read.
ORLANTIS_EXCEPTION(EConvertError, Exception);
// Short reads and writes of streams and files.
ORLANTIS_EXCEPTION(EStreamError, Exception);
ORLANTIS_EXCEPTION(EReadError, EStreamError);
ORLANTIS_EXCEPTION(EWriteError, EStreamError);
ORLANTIS_EXCEPTION(EFileError, EStreamError);
// A user's cancel inside a long job; the message is always the text of UserBreakMessage().
ORLANTIS_EXCEPTION(EUserBreak, Exception);

// "User break. Operation is not complited!" -- the system's text, spelling included.
const char* UserBreakMessage();
