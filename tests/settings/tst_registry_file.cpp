// SPDX-License-Identifier: GPL-3.0-or-later
// The registry's file store: what it writes, what survives, what it refuses.
#include "settings/file_registry.h"
#include "settings/reg_app.h"
#include "settings/regedit_format.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vcq;

namespace
{

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

std::string bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s.push_back(static_cast<char>(b));
    return s;
}

} // namespace

class TestRegistryFile : public QObject
{
    Q_OBJECT

private slots:
    void fileAfterWrites();
    void valueSurvives_data();
    void valueSurvives();
    void handEditedFile();
    void damagedFileIsReportedAndKept_data();
    void damagedFileIsReportedAndKept();
    void folderThatCannotBeCreated();
    void namesIgnoreCase();
    void querySizes();
    void standardPath_data();
    void standardPath();
};

void TestRegistryFile::fileAfterWrites()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reg/registry.reg"));
    FileRegistry registry(path);
    TRegAppDefaultUserConfig reg(nullptr, &registry);
    setVcqKey(reg);
    reg.setActive(true);
    reg.WriteBoolValue("ScreenPos", true);
    reg.WriteIntegerValue("Language", 1);
    reg.WriteIntegerValue("ScreenPosX", -8);
    reg.WriteIntegerValue("ScreenPosY", 260);
    reg.WriteStringValue("DefCity", "Montr\xe9"
                                    "al");
    reg.WriteStringValue("DefState", "");
    reg.WriteStringValue("LastPath", "C:\\Tools\\\"q\"");
    reg.WriteIntegerValue("Language", 0); // rewritten in place
    reg.setActive(false);

    const QByteArray expected =
        "REGEDIT4\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vellora Softwares]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vellora Softwares\\Vellora Carnetique 97]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vellora Softwares\\Vellora Carnetique 97\\v1.0]\n"
        "\"ScreenPos\"=dword:00000001\n"
        "\"Language\"=dword:00000000\n"
        "\"ScreenPosX\"=dword:fffffff8\n"
        "\"ScreenPosY\"=dword:00000104\n"
        "\"DefCity\"=\"Montr\xc3\xa9"
        "al\"\n"
        "\"DefState\"=\"\"\n"
        "\"LastPath\"=\"C:\\\\Tools\\\\\\\"q\\\"\"\n"
        "\n";
    QCOMPARE(readAll(path), expected);
    QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));
}

void TestRegistryFile::valueSurvives_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");

    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const auto qb = [](const std::string &s) { return QByteArray(s.data(), qsizetype(s.size())); };

    QTest::newRow("text") << quint32(REG_SZ) << QByteArray("abc");
    QTest::newRow("empty text") << quint32(REG_SZ) << QByteArray();
    QTest::newRow("text with quotes, backslashes, trailing NUL")
        << quint32(REG_SZ) << qb(bytes({'a', '"', '\\', 'b', 0}));
    QTest::newRow("text, every byte") << quint32(REG_SZ) << qb(all);
    QTest::newRow("text, code page letters")
        << quint32(REG_SZ) << qb(bytes({0x80, 0xe9, 0x9c, 0x81, 0x9d, 0xff}));
    QTest::newRow("expandable text") << quint32(REG_EXPAND_SZ) << QByteArray("%HOME%\\x");
    QTest::newRow("dword") << quint32(REG_DWORD) << qb(bytes({0x78, 0x56, 0x34, 0x12}));
    QTest::newRow("short dword") << quint32(REG_DWORD) << qb(bytes({1, 2, 3}));
    QTest::newRow("long dword") << quint32(REG_DWORD) << qb(bytes({1, 2, 3, 4, 5}));
    QTest::newRow("empty binary") << quint32(REG_BINARY) << QByteArray();
    QTest::newRow("binary, every byte") << quint32(REG_BINARY) << qb(all);
    QTest::newRow("other type") << quint32(0x12345678) << QByteArray("x\0y", 3);
}

void TestRegistryFile::valueSurvives()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    {
        FileRegistry writer(path);
        RegKeyHandle key = 0;
        QCOMPARE(writer.createKey(HKEY_CURRENT_USER, "SOFTWARE\\T", &key), long(ERROR_SUCCESS));
        QCOMPARE(
            writer.setValue(key, "v", REG_SZ, reinterpret_cast<const unsigned char *>("old"), 3),
            long(ERROR_SUCCESS));
        QCOMPARE(writer.setValue(key, "v", type,
                                 reinterpret_cast<const unsigned char *>(data.data()),
                                 quint32(data.size())),
                 long(ERROR_SUCCESS));
        QCOMPARE(
            writer.setValue(key, "after", REG_SZ, reinterpret_cast<const unsigned char *>("z"), 1),
            long(ERROR_SUCCESS));
    }
    FileRegistry reader(path);
    RegKeyHandle key = 0;
    QCOMPARE(reader.createKey(HKEY_CURRENT_USER, "SOFTWARE\\T", &key), long(ERROR_SUCCESS));
    std::uint32_t gotType = 0;
    QByteArray got(data.size() + 1, '\xAA');
    std::uint32_t size = quint32(got.size());
    QCOMPARE(
        reader.queryValue(key, "v", &gotType, reinterpret_cast<unsigned char *>(got.data()), &size),
        long(ERROR_SUCCESS));
    QCOMPARE(gotType, type);
    QCOMPARE(got.left(size), data);
    // The value after it is still separate: nothing of the data leaked across lines.
    char z = 0;
    size = 1;
    QCOMPARE(reader.queryValue(key, "after", nullptr, reinterpret_cast<unsigned char *>(&z), &size),
             long(ERROR_SUCCESS));
    QCOMPARE(z, 'z');
    // Every line stays short enough to read.
    for (const QByteArray &line : readAll(path).split('\n'))
        QVERIFY2(line.size() <= 80, line.constData());
}

void TestRegistryFile::handEditedFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    QVERIFY(writeAll(path, "\xEF\xBB\xBFREGEDIT4\r\n"
                           "; written by hand\r\n"
                           "[hkey_current_user\\Software\\T]\r\n"
                           "@=\"default\"\r\n"
                           "\"Bin\" = hex:01,02,\\\r\n"
                           "    03, 04\r\n"
                           "\"Multi\"=hex(7):61,00,00\r\n"
                           "\"City\"=\"Qu\xC3\xA9"
                           "bec\"\r\n"));
    FileRegistry registry(path);
    RegKeyHandle key = 0;
    QCOMPARE(registry.createKey(HKEY_CURRENT_USER, "SOFTWARE\\t", &key), long(ERROR_SUCCESS));
    const auto query = [&](const char *name, std::uint32_t expectedType,
                           const std::string &expected) {
        std::uint32_t type = 0;
        std::string data(64, '\0');
        std::uint32_t size = 64;
        const long r = registry.queryValue(key, name, &type,
                                           reinterpret_cast<unsigned char *>(data.data()), &size);
        data.resize(size);
        return r == ERROR_SUCCESS && type == expectedType && data == expected;
    };
    QVERIFY(query("", REG_SZ, "default"));
    QVERIFY(query("bin", REG_BINARY, bytes({1, 2, 3, 4})));
    QVERIFY(query("Multi", 7, bytes({'a', 0, 0})));
    QVERIFY(query("City", REG_SZ,
                  "Qu\xe9"
                  "bec"));
    // Reading never rewrites the file.
    QVERIFY(readAll(path).startsWith("\xEF\xBB\xBFREGEDIT4\r\n; written by hand"));
}

void TestRegistryFile::damagedFileIsReportedAndKept_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("line");

    QTest::newRow("no signature") << QByteArray("[HKEY_CURRENT_USER\\A]\n") << 1;
    QTest::newRow("other signature") << QByteArray("Windows Registry Editor Version 5.00\n") << 1;
    QTest::newRow("unknown root") << QByteArray("REGEDIT4\n\n[HKEY_NOWHERE\\A]\n") << 3;
    QTest::newRow("empty key name") << QByteArray("REGEDIT4\n[HKEY_USERS\\A\\\\B]\n") << 2;
    QTest::newRow("unclosed key") << QByteArray("REGEDIT4\n[HKEY_USERS\\A\n") << 2;
    QTest::newRow("value before key") << QByteArray("REGEDIT4\n\"a\"=\"b\"\n") << 2;
    QTest::newRow("unterminated text") << QByteArray("REGEDIT4\n[HKEY_USERS\\A]\n\"a\"=\"b\n") << 3;
    QTest::newRow("bad escape") << QByteArray("REGEDIT4\n[HKEY_USERS\\A]\n\"a\"=\"\\n\"\n") << 3;
    QTest::newRow("short dword") << QByteArray("REGEDIT4\n[HKEY_USERS\\A]\n\"a\"=dword:1\n") << 3;
    QTest::newRow("bad hex") << QByteArray("REGEDIT4\n[HKEY_USERS\\A]\n\"a\"=hex:1g\n") << 3;
    QTest::newRow("garbage line") << QByteArray("REGEDIT4\n[HKEY_USERS\\A]\nhello\n") << 3;
    QTest::newRow("not UTF-8") << QByteArray("REGEDIT4\n[HKEY_USERS\\\xff]\n") << 0;
    QTest::newRow("outside the code page")
        << QByteArray("REGEDIT4\n[HKEY_USERS\\A]\n\"a\"=\"\xE6\x9D\xB1\"\n") << 3;
}

void TestRegistryFile::damagedFileIsReportedAndKept()
{
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    QVERIFY(writeAll(path, content));

    RegeditParseError error;
    QVERIFY(!parseRegedit(content, &error));
    QCOMPARE(error.line, line);

    FileRegistry registry(path);
    TRegAppDefaultUserConfig reg(nullptr, &registry);
    setVcqKey(reg);
    try {
        reg.setActive(true);
        QFAIL("activation succeeded on a damaged file");
    } catch (const ERegistryException &e) {
        QCOMPARE(e.kind(), RegistryErrc::CreateKey);
        QCOMPARE(e.code(), long(ERROR_BADDB));
        const QString what = QString::fromUtf8(e.what());
        QVERIFY(what.startsWith(QStringLiteral(
            "Failed to create key SOFTWARE\\Vellora Softwares\\Vellora Carnetique 97\\v1.0\n")));
        QVERIFY2(what.contains(path) && what.contains(QStringLiteral("line %1").arg(line)),
                 qPrintable(what));
    }
    QVERIFY(!reg.Active());
    QCOMPARE(readAll(path), content);
}

void TestRegistryFile::folderThatCannotBeCreated()
{
    QTemporaryDir dir;
    // A plain file where the folder would have to be.
    QVERIFY(writeAll(dir.filePath(QStringLiteral("blocker")), "x"));
    FileRegistry registry(dir.filePath(QStringLiteral("blocker/sub/registry.reg")));
    RegKeyHandle key = 7;
    QCOMPARE(registry.createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", &key),
             long(ERROR_ACCESS_DENIED));
    QCOMPARE(key, RegKeyHandle(0));

    TRegAppDefaultUserConfig reg(nullptr, &registry);
    setVcqKey(reg);
    try {
        reg.WriteIntegerValue("ScreenPosX", 1);
        QFAIL("write succeeded without a folder");
    } catch (const ERegistryException &e) {
        // The message says why, not only what failed.
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("Failed to create key SOFTWARE\\Vellora Softwares\\Vellora "
                                "Carnetique 97\\v1.0\nThe settings folder \"%1\" cannot be "
                                "created.")
                     .arg(dir.filePath(QStringLiteral("blocker/sub"))));
    }
    QVERIFY(!reg.Active());
}

void TestRegistryFile::namesIgnoreCase()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    FileRegistry registry(path);
    RegKeyHandle a = 0, b = 0;
    bool created = false;
    QCOMPARE(registry.createKey(HKEY_USERS, "Software\\Co", &a, &created), long(ERROR_SUCCESS));
    QVERIFY(created);
    QCOMPARE(registry.createKey(HKEY_USERS, "SOFTWARE\\co", &b, &created), long(ERROR_SUCCESS));
    QVERIFY(!created);
    QVERIFY(a != b);
    const unsigned char one = 1, two = 2;
    QCOMPARE(registry.setValue(a, "Name", REG_BINARY, &one, 1), long(ERROR_SUCCESS));
    QCOMPARE(registry.setValue(b, "NAME", REG_BINARY, &two, 1), long(ERROR_SUCCESS));
    // One key, one value, with the case each was created with.
    QCOMPARE(readAll(path), QByteArray("REGEDIT4\n\n[HKEY_USERS\\Software]\n\n"
                                       "[HKEY_USERS\\Software\\Co]\n\"Name\"=hex:02\n\n"));
    // Keys of the other roots are apart.
    RegKeyHandle other = 0;
    QCOMPARE(registry.createKey(HKEY_CURRENT_USER, "SOFTWARE\\Co", &other), long(ERROR_SUCCESS));
    QCOMPARE(registry.queryValue(other, "Name", nullptr, nullptr, nullptr),
             long(ERROR_FILE_NOT_FOUND));
}

void TestRegistryFile::querySizes()
{
    QTemporaryDir dir;
    FileRegistry registry(dir.filePath(QStringLiteral("registry.reg")));
    RegKeyHandle key = 0;
    QCOMPARE(registry.createKey(HKEY_CURRENT_USER, "A", &key), long(ERROR_SUCCESS));
    QCOMPARE(
        registry.setValue(key, "v", REG_SZ, reinterpret_cast<const unsigned char *>("hello"), 5),
        long(ERROR_SUCCESS));

    std::uint32_t type = 0, size = 0;
    QCOMPARE(registry.queryValue(key, "v", &type, nullptr, &size), long(ERROR_SUCCESS));
    QCOMPARE(type, REG_SZ);
    QCOMPARE(size, 5u);
    unsigned char small[4] = {};
    size = 4;
    QCOMPARE(registry.queryValue(key, "v", &type, small, &size), long(ERROR_MORE_DATA));
    QCOMPARE(size, 5u);

    QCOMPARE(registry.closeKey(key), long(ERROR_SUCCESS));
    QCOMPARE(registry.closeKey(key), long(ERROR_INVALID_HANDLE));
    QCOMPARE(registry.queryValue(key, "v", nullptr, nullptr, nullptr), long(ERROR_INVALID_HANDLE));
    QCOMPARE(registry.setValue(key, "v", REG_SZ, nullptr, 0), long(ERROR_INVALID_HANDLE));
    RegKeyHandle bad = 0;
    QCOMPARE(registry.createKey(HKEY_CURRENT_USER, "\\A", &bad), long(ERROR_INVALID_PARAMETER));
}

void TestRegistryFile::standardPath_data()
{
    QTest::addColumn<QByteArray>("xdg");
    QTest::addColumn<bool>("useHome");

    QTest::newRow("set") << QByteArray("/somewhere/cfg") << false;
    QTest::newRow("unset") << QByteArray() << true;
    QTest::newRow("relative") << QByteArray("cfg") << true;
}

void TestRegistryFile::standardPath()
{
    QFETCH(QByteArray, xdg);
    QFETCH(bool, useHome);
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    if (xdg.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", xdg);
    const QString expected =
        (useHome ? QDir::homePath() + QStringLiteral("/.config") : QString::fromUtf8(xdg)) +
        QStringLiteral("/vellora-carnetique-97/registry.reg");
    const QString got = standardRegistryPath();
    qputenv("XDG_CONFIG_HOME", saved);
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(TestRegistryFile)
#include "tst_registry_file.moc"
