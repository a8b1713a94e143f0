#pragma once

#include "THashedStringList.h"
#include "encoder.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// The programs that read exported files, gettext and PHP, run as child processes, and what
// they should read back. Tests that use it link plugin_common for the encoder.
extern char** environ;

namespace ExportConsumers {

struct Outcome
{
    int status = -1;
    std::string output;
};

// Where a program's error output goes: into the test's log, into the outcome with its
// standard output, or nowhere.
enum class ErrorOutput { toLog, withOutput, dropped };

// Runs the program with the C locale and gives its exit status and standard output. A
// signal that interrupts the waiting (libFuzzer's timer sends one every second) does not
// end it.
inline Outcome run(const std::vector<std::string>& arguments, ErrorOutput errors = ErrorOutput::toLog)
{
    int ends[2];
    if (::pipe(ends) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    if (errors == ErrorOutput::withOutput)
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
    else if (errors == ErrorOutput::dropped)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    std::vector<std::string> environment = {"LC_ALL=C"};
    for (char** e = environ; *e; ++e)
        if (!std::string_view(*e).starts_with("LC_") && !std::string_view(*e).starts_with("LANG="))
            environment.emplace_back(*e);
    std::vector<char*> argv, envp;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        throw std::runtime_error("cannot start " + arguments[0]);
    }
    Outcome outcome;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(ends[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        outcome.output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(ends[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

inline std::string hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string result;
    for (unsigned char b : bytes) {
        result += digits[b >> 4];
        result += digits[b & 15];
    }
    return result;
}

inline std::string unixLineBreaks(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            result += text[i];
        else if (i + 1 == text.size() || text[i + 1] != '\n')
            result += '\n';
    }
    return result;
}

// key → text as the consumer should read it: the text after the flags' conversion, with
// every escape of the file's syntax undone. `withBreaks`: the format honours the
// line-break flag (PHP does, PO does not).
inline std::map<std::string, std::string> convertedTexts(const THashedStringList& values,
                                                         const THashedStringList& html,
                                                         const THashedStringList& breaks,
                                                         const THashedStringList& unixEnds, bool withBreaks)
{
    const HTML_Encoder encoder;
    std::map<std::string, std::string> converted;
    for (int i = 0; i < values.count(); ++i) {
        const std::string key = values.nameAt(i);
        std::string text = values.value(key);
        if (unixEnds.value(key) == "1")
            text = unixLineBreaks(text);
        if (html.value(key) == "1") {
            text = encoder.encodeEntities(text);
            if (withBreaks && breaks.value(key) == "1")
                text = encoder.insertHtmlBreaks(text);
        }
        converted[key] = text;
    }
    return converted;
}

// The escapes msgunfmt writes: the C escapes and octal ones.
inline std::string unescape(std::string_view literal)
{
    std::string result;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        char c = literal[i];
        if (c == '\\' && i + 1 < literal.size()) {
            c = literal[++i];
            if (c >= '0' && c <= '7') {
                int value = c - '0';
                for (int k = 0;
                     k < 2 && i + 1 < literal.size() && literal[i + 1] >= '0' && literal[i + 1] <= '7'; ++k)
                    value = value * 8 + (literal[++i] - '0');
                c = static_cast<char>(value);
            } else {
                constexpr std::string_view letters = "nrtabfv", bytes = "\n\r\t\a\b\f\v";
                if (const std::size_t at = letters.find(c); at != std::string_view::npos)
                    c = bytes[at];
            }
        }
        result += c;
    }
    return result;
}

// msgid → msgstr of a PO file as msgunfmt writes it, the header entry left out.
inline std::map<std::string, std::string> readPo(const std::string& po)
{
    std::map<std::string, std::string> entries;
    std::string msgid;
    std::string msgstr;
    std::string* current = nullptr;
    const auto finish = [&] {
        if (current == &msgstr && !msgid.empty())
            entries[msgid] = msgstr;
        msgid.clear();
        msgstr.clear();
        current = nullptr;
    };
    std::size_t start = 0;
    while (start < po.size()) {
        std::size_t end = po.find('\n', start);
        if (end == std::string::npos)
            end = po.size();
        const std::string_view line(po.data() + start, end - start);
        start = end + 1;
        std::string_view rest = line;
        if (line.starts_with("msgid ")) {
            finish();
            current = &msgid;
            rest.remove_prefix(6);
        } else if (line.starts_with("msgstr ")) {
            current = &msgstr;
            rest.remove_prefix(7);
        }
        if (current && rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
            *current += unescape(rest.substr(1, rest.size() - 2));
    }
    finish();
    return entries;
}

// The PO file checked and compiled by msgfmt and read back by msgunfmt: msgid → msgstr.
// Empty when gettext refused the file.
inline std::map<std::string, std::string> gettextReads(const std::string& po, const std::string& mo)
{
    if (run({"msgfmt", "--check", "-o", mo, po}).status != 0)
        return {};
    const Outcome catalogue = run({"msgunfmt", mo});
    return catalogue.status == 0 ? readPo(catalogue.output) : std::map<std::string, std::string>{};
}

// PHP includes the file and prints "hex(key) hex(text)" per element of $translation, in
// the array's order; `script` is where the printing script goes.
inline Outcome phpDump(const std::string& file, const std::string& script)
{
    std::ofstream(script, std::ios::binary)
        << "<?php\n"
           "include $argv[1];\n"
           "foreach ($translation as $key => $text)\n"
           "    echo bin2hex((string)$key), ' ', bin2hex($text), \"\\n\";\n";
    return run({"php", "-n", script, file});
}

} // namespace ExportConsumers
