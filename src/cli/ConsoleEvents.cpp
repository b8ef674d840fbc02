#include "cli/ConsoleEvents.h"
#include <cstdio>
#include <unistd.h>

namespace tw {

namespace {
void print(std::FILE* stream, const QString& text) {
    QString lines = text;
    lines.replace(u'\r', u'\n');  // the boxes' line breaks
    std::fputs((lines + u'\n').toUtf8().constData(), stream);
    std::fflush(stream);
}
}

void printError(const QString& text) { print(stderr, text); }
void printOut(const QString& text) { print(stdout, text); }

ConsoleEvents::ConsoleEvents(const std::atomic<bool>& stop) : m_stop(stop), m_terminal(::isatty(STDERR_FILENO) == 1) {}

int ConsoleEvents::MsgBox(const QString& text, int style, const QString& title) {
    clearProgressLine();
    if ((style & 0xF) == MsgStyle::YesNoCancel) {
        // The repeated failure's question: its account counts the rest.
        const QString question = text.left(text.indexOf(QLatin1String("\r\rYes:")));
        printError(title + QStringLiteral(": ") + question +
                   QStringLiteral("\nThe rest of them are counted in the account without a line each."));
        return MsgAnswer::No;
    }
    printError(title.isEmpty() ? text : title + QStringLiteral(": ") + text);
    return (style & 0xF) == MsgStyle::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
}

void ConsoleEvents::progress(const TableProgress& progress) {
    if (!m_terminal)
        return;
    std::fputs(("\r" + progress.text() + QStringLiteral("\033[K")).toUtf8().constData(), stderr);
    std::fflush(stderr);
    m_progressShown = true;
}

void ConsoleEvents::tableEnded(const TableAccount& table) {
    clearProgressLine();
    printError(table.text());
}

void ConsoleEvents::clearProgressLine() {
    if (!m_progressShown)
        return;
    std::fputs("\r\033[K", stderr);
    m_progressShown = false;
}

}
