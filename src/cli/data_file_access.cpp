// SPDX-License-Identifier: GPL-3.0-or-later
#include "data_file_access.h"

#include "store/file_lock.h"
#include "store/store_error_texts.h"

#include "interop/transliterate.h"
#include "password/password_state.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vcq::cli
{

namespace
{

constexpr int kPasswordTries = 3;

// The password as the data file holds it: cp1252 bytes.
std::string passwordBytes(const std::string &typed)
{
    return interop::isValidUtf8(typed) ? interop::utf8ToCp1252(typed).bytes : typed;
}

std::string withoutLineEnd(std::string text)
{
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

} // namespace

bool readHiddenLine(const QString &prompt, std::string &line)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0)
        return false;
    termios saved{};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (!isTerminal) {
        ::close(tty);
        return false;
    }
    termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    quiet.c_lflag |= ICANON;
    ::tcsetattr(tty, TCSAFLUSH, &quiet);
    // The prompt comes once echo is off and older input is flushed: what is
    // typed after it is neither shown nor thrown away.
    const QByteArray promptBytes = (prompt + ": ").toUtf8();
    (void)!::write(tty, promptBytes.constData(), std::size_t(promptBytes.size()));
    line.clear();
    bool gotLine = false;
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(tty, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (c == '\n') {
            gotLine = true;
            break;
        }
        line += c;
    }
    ::tcsetattr(tty, TCSAFLUSH, &saved);
    (void)!::write(tty, "\n", 1);
    ::close(tty);
    return gotLine || !line.empty();
}

bool lockedByAnotherCopy(const std::string &dataFilePath)
{
    const int fd = ::open(dataFilePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = heldByAnotherCopy(fd);
    ::close(fd);
    return locked;
}

QString storeErrorText(const CommandContext &context, const std::string &file,
                       const StoreError &error)
{
    const QString what = QString::fromStdString(storeErrorMessage(error, context.french));
    return terminalSafe(QString::fromStdString(file)) + ": " + what;
}

bool accessGranted(const CommandContext &context, const ContactRecord &header,
                   const QString &passwordFile)
{
    PasswordState state;
    readPasswordHeader(state, header);
    if (!state.PasswordProtected)
        return true;
    const QString invalid = context.text("Invalid Password !", "Mot de passe invalide !");
    if (!passwordFile.isEmpty()) {
        QFile file(passwordFile);
        if (!file.open(QIODevice::ReadOnly)) {
            context.error(terminalSafe(passwordFile) + ": " + file.errorString());
            return false;
        }
        const std::string typed = withoutLineEnd(file.readLine(4096).toStdString());
        if (passwordAccepted(state, passwordBytes(typed)))
            return true;
        context.error(invalid);
        return false;
    }
    const QString prompt = context.text("Enter Access Password", "Mot de passe d'accès");
    for (int attempt = 0; attempt < kPasswordTries; ++attempt) {
        std::string typed;
        if (!readHiddenLine(prompt, typed)) {
            context.error(context.text(
                "The data file is protected by a password: type it on a terminal or give "
                "--password-file FILE.",
                "Le fichier de données est protégé par un mot de passe : tapez-le dans un "
                "terminal ou donnez --password-file FICHIER."));
            return false;
        }
        if (passwordAccepted(state, passwordBytes(typed)))
            return true;
        context.error(invalid);
    }
    return false;
}

ProgressLine::ProgressLine(const CommandContext &context)
    : m_context(context), m_enabled(::isatty(::fileno(context.err)) == 1)
{
}

ProgressLine::~ProgressLine()
{
    end();
}

void ProgressLine::show(const QString &text)
{
    if (!m_enabled || (m_shown && m_since.isValid() && m_since.elapsed() < 200))
        return;
    m_since.start();
    m_shown = true;
    // Back to the start of the line, the text, the rest of the line cleared.
    const QByteArray bytes = ("\r" + text + "\x1b[K").toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_context.err);
    std::fflush(m_context.err);
}

void ProgressLine::end()
{
    if (!m_shown)
        return;
    m_shown = false;
    std::fputs("\r\x1b[K", m_context.err);
    std::fflush(m_context.err);
}

QCommandLineOption passwordFileOption(const CommandContext &c)
{
    return QCommandLineOption(
        "password-file",
        c.text("Reads the password of a protected data file from FILE.",
               "Lit le mot de passe d'un fichier de données protégé dans FICHIER."),
        c.text("FILE", "FICHIER"));
}

bool noArguments(const QCommandLineParser &parser, const CommandContext &c)
{
    if (parser.positionalArguments().isEmpty())
        return true;
    c.error(c.text("Unexpected argument \"%1\".", "Argument inattendu « %1 ».")
                .arg(terminalSafe(parser.positionalArguments().first())));
    return false;
}

bool writeOut(const CommandContext &c, const std::string &bytes)
{
    if (std::fwrite(bytes.data(), 1, bytes.size(), c.out) == bytes.size() &&
        std::fflush(c.out) == 0)
        return true;
    c.error(c.text("Standard output: %1", "Sortie standard : %1")
                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return false;
}

QString terminalSafe(const QString &text)
{
    QString safe = text;
    for (QChar &c : safe)
        if (c.category() == QChar::Other_Control)
            c = u'?';
    return safe;
}

} // namespace vcq::cli
