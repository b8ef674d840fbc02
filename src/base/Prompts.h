#pragma once
#include <QString>

namespace tw {

// Message box styles and answers, with the numbers the program has always used.
namespace MsgStyle {
constexpr int OkOnly = 0;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int Exclamation = 48;
}
namespace MsgAnswer {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
}

// Everything that asks the user something goes through here, so tests can
// script the answers and read back exactly what was shown.
class Prompts {
public:
    virtual ~Prompts() = default;
    // An empty title means the application title. Returns a MsgAnswer.
    virtual int MsgBox(const QString& text, int style = MsgStyle::OkOnly, const QString& title = {}) = 0;
    // An empty title means the application title. Returns the answer, or
    // the empty string for Cancel.
    virtual QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
};

}
