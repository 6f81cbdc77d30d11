// SPDX-License-Identifier: MIT
// What a program says on standard error: one line a message, opening with
// "<program>: ", or with "<program>: <file>: " when it is about the data
// file (named as it was given).  Those openings and the line for a file
// that cannot be written are made here and nowhere else.
#ifndef ZELKOR_VOICE_H
#define ZELKOR_VOICE_H

#include <iosfwd>
#include <string>

// "<program>: "
std::string prefix(const std::string& program);
// "<program>: <where>: ", where is a file, or a file and a line.
std::string prefix(const std::string& program, const std::string& where);

// The system's message for the errno value `error`, or `otherwise` when
// error is 0.
std::string systemReason(int error, const std::string& otherwise);

// A number quoted in a message, with two significant digits: "3.1e-29".
std::string twoDigits(long double x);

// One run's messages: the program, its data file and the error stream.
class Voice {
public:
    Voice(std::string program, std::string file, std::ostream& err);

    const std::string& program() const { return program_; }
    const std::string& file() const { return file_; }
    std::ostream& stream() const { return err_; }

    // "<program>: <file>: <text>"
    void aboutFile(const std::string& text) const;
    // "<program>: <text>"
    void say(const std::string& text) const;
    // "<program>: cannot write <what>", with ": <reason>" unless it is empty.
    void cannotWrite(const std::string& what, const std::string& reason) const;
    // A line worded already (a DataFile message); nothing when it is empty.
    void line(const std::string& text) const;

private:
    std::string program_;
    std::string file_;
    std::ostream& err_;
};

#endif
