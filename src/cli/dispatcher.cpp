// SPDX-License-Identifier: GPL-3.0-or-later
#include "dispatcher.h"

#include "command.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

#include <cstring>

namespace vcq::cli
{

namespace
{

QString programHelp(const CommandContext &c, const std::vector<Command> &all,
                    const QString &options)
{
    QString help = c.text("Usage: vellora-carnetique-97 [COMMAND [OPTIONS] ...]",
                          "Utilisation : vellora-carnetique-97 [COMMANDE [OPTIONS] ...]") +
                   "\n" +
                   c.text("Vellora Carnetique 97, an address book. Without a command its window "
                          "opens; a command works without one,\non the data file VCQ97.NAM of the "
                          "current folder.",
                          "Vellora Carnetique 97, un carnet d'adresses. Sans commande, sa fenêtre "
                          "s'ouvre ; une commande travaille sans elle,\nsur le fichier VCQ97.NAM "
                          "du dossier courant.") +
                   "\n\n" + c.text("Commands:", "Commandes :") + "\n";
    int width = 0;
    for (const Command &command : all)
        width = std::max(width, int(command.name.size()));
    for (const Command &command : all)
        help += "  " + command.name.leftJustified(width + 2) +
                (c.french ? command.summaryFrench : command.summaryEnglish) + "\n";
    help += "\n" + options;
    help += "\n" +
            c.text("\"vellora-carnetique-97 COMMAND --help\" describes a command.",
                   "« vellora-carnetique-97 COMMANDE --help » décrit une commande.") +
            "\n";
    return help;
}

} // namespace

QString CommandContext::text(const char *english, const char *frenchText) const
{
    return QString::fromUtf8(french ? frenchText : english);
}

void CommandContext::print(const QString &line) const
{
    const QByteArray bytes = (line + '\n').toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), out);
    std::fflush(out);
}

void CommandContext::error(const QString &line) const
{
    const QByteArray bytes = (line + '\n').toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), err);
    std::fflush(err);
}

QString commandHelp(const QCommandLineParser &parser, const QStringList &arguments)
{
    // Qt names the program by its full path; users call it by its name.
    QString help = parser.helpText().trimmed();
    const QString program = QCoreApplication::arguments().value(0);
    const qsizetype at = help.indexOf(program);
    if (!program.isEmpty() && at >= 0 && at < help.indexOf('\n'))
        help.replace(at, program.size(), arguments.value(0));
    return help;
}

std::optional<int> parseCommand(QCommandLineParser &parser, const QCommandLineOption &help,
                                const QStringList &arguments, CommandContext &context)
{
    if (!parser.parse(arguments)) {
        context.error(parser.errorText());
        return ExitFailure;
    }
    if (parser.isSet(help)) {
        context.print(commandHelp(parser, arguments));
        return ExitSuccess;
    }
    return std::nullopt;
}

bool namesFileToOpen(const char *argument)
{
    const QString word = QString::fromLocal8Bit(argument);
    if (word == u"help")
        return false;
    for (const Command &command : commands())
        if (command.name == word)
            return false;
    // A file that is there, a path, or a contact file the import will report missing.
    const QString suffix = QFileInfo(word).suffix().toLower();
    return QFileInfo::exists(word) || word.contains(u'/') || suffix == u"vcf" ||
           suffix == u"vcard" || suffix == u"csv";
}

bool isCommandLine(int argc, char **argv)
{
    if (argc < 2)
        return false;
    const char *first = argv[1];
    if (first[0] != '-')
        // A command, or a mistyped one that deserves a message; files go to the window.
        return !namesFileToOpen(first);
    for (const char *own : {"-h", "--help", "-?", "-v", "--version"})
        if (std::strcmp(first, own) == 0)
            return true;
    return false;
}

int run(int argc, char **argv)
{
    // No window and no display: only the core application.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vellora-carnetique-97");
    QCoreApplication::setApplicationVersion(QStringLiteral(VCQ_VERSION));

    CommandContext context;
    context.french = QLocale::system().language() == QLocale::French;
    const std::vector<Command> all = commands();

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help({"h", "help", "?"},
                                  context.text("Shows this help.", "Affiche cette aide."));
    const QCommandLineOption version({"v", "version"},
                                     context.text("Shows the version.", "Affiche la version."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument("command", {});
    const QStringList arguments = QCoreApplication::arguments();
    if (!parser.parse(arguments)) {
        context.error(parser.errorText());
        return ExitFailure;
    }
    if (parser.isSet(version)) {
        context.print(QCoreApplication::applicationName() + ' ' +
                      QCoreApplication::applicationVersion());
        return ExitSuccess;
    }
    const QStringList rest = parser.positionalArguments();
    if (parser.isSet(help) || rest.isEmpty() || rest.first() == "help") {
        const QString options = context.text("Options:", "Options :") + "\n  -h, --help     " +
                                help.description() + "\n  -v, --version  " + version.description() +
                                "\n";
        context.print(programHelp(context, all, options).trimmed());
        return ExitSuccess;
    }
    for (const Command &command : all) {
        if (command.name != rest.first())
            continue;
        QStringList commandArguments = rest.mid(1);
        commandArguments.prepend(QCoreApplication::applicationName() + ' ' + command.name);
        return command.run(commandArguments, context);
    }
    context.error(context
                      .text("Unknown command \"%1\". \"vellora-carnetique-97 --help\" lists "
                            "the commands.",
                            "Commande inconnue « %1 ». « vellora-carnetique-97 --help » donne "
                            "la liste des commandes.")
                      .arg(rest.first()));
    return ExitFailure;
}

} // namespace vcq::cli
