#pragma once
// vorntool x: extraction on the command line, with the engine the GUI uses.

#include "engines/ExtractTypes.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The overwrite question on a terminal: y(es), n(o), A(ll), N(one), o(nly
// older). Without a terminal every existing file is skipped.
class TTerminalQuestion : public IOverwriteQuestion {
public:
    TTerminalQuestion(std::istream &input, std::ostream &output, bool interactive)
        : m_Input(input), m_Output(output), m_Interactive(interactive)
    {
    }
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &question) override;

private:
    std::istream &m_Input;
    std::ostream &m_Output;
    bool m_Interactive;
};

// The answer a typed reply stands for; empty for anything else.
std::optional<TOverwriteAnswer> ParseOverwriteReply(const std::string &reply);

// vorntool x ARCHIVE [-o DIR] [--flat] [-y | -n | --older] [--png] [PATH ...]
// `arguments` are the words after "x". Returns 0, or 1 when a file failed or
// a PATH names no entry; raises Exception for wrong arguments or an archive
// that can't be opened.
int RunExtractCommand(const std::vector<std::string> &arguments);
