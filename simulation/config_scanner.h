#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

/// Reads the fields of a configuration file from a C stream with the token
/// rules of formatted input: white space is skipped before every value, a
/// value ends at the first character that cannot continue it, and that
/// character stays for the next read. Numbers do not depend on the locale.
class ConfigScanner {
public:
    explicit ConfigScanner(std::FILE* file) : file_(file) {}

    /// Discards every character up to and including the next "=", or up to
    /// the end of the file.
    void SkipToEquals();
    /// Reads one word of non-blank characters ("%s"); false at the end.
    bool ReadWord(std::string& word);
    /// Reads an optionally signed decimal integer ("%d"); values beyond the
    /// 32-bit range saturate. False when no integer stands there.
    bool ReadInt(int32_t& value);
    /// Reads a real number as "%lf" does; false when none stands there.
    bool ReadReal(double& value);
    /// Reads the rest of the current line, without its line break; false at
    /// the end of the file.
    bool ReadLine(std::string& line);

    // Character access for ScanRealToken.
    int peek() {
        if (!hasPeeked_) {
            peeked_ = std::getc(file_);
            hasPeeked_ = true;
        }
        return peeked_;
    }
    void advance() { hasPeeked_ = false; }

private:
    void SkipSpace();

    std::FILE* file_;
    int peeked_ = EOF;
    bool hasPeeked_ = false;
    std::string token_;
};
