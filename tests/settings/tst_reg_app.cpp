// SPDX-License-Identifier: GPL-3.0-or-later
// The registry component: its key path, when it touches the registry, and
// its typed reads and writes with their errors.
#include "recording_registry.h"
#include "settings/reg_app.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vcq;

Q_DECLARE_METATYPE(vcq::TRegistryHive)

class TestRegApp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void defaults();
    void buildKeyPath_data();
    void buildKeyPath();
    void activationCalls();
    void hiveDecidesTheRoot_data();
    void hiveDecidesTheRoot();
    void propertyChangeReopens();
    void propertyChangeWhileInactive();
    void typedRoundTrips();
    void storedForms();
    void readErrors_data();
    void readErrors();
    void noKeyOpen();
    void callWhileInactive();
    void destroyedWhileActive();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingRegistry> m_registry;
    std::unique_ptr<FileRegistry> m_raw; // the same file, to look behind the component
};

void TestRegApp::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString file = m_dir->filePath(QStringLiteral("registry.reg"));
    m_registry = std::make_unique<RecordingRegistry>(file);
    m_raw = std::make_unique<FileRegistry>(file);
}

void TestRegApp::cleanup()
{
    m_raw.reset();
    m_registry.reset();
    m_dir.reset();
}

void TestRegApp::defaults()
{
    TRegApp base(nullptr, m_registry.get());
    QCOMPARE(base.RootKey(), TRegistryHive::rhCurrentUser);
    QCOMPARE(base.Company(), std::string("My Company"));
    QCOMPARE(base.ApplicationName(), std::string("My Application"));
    QCOMPARE(base.Version(), std::string("v1.0a"));
    QVERIFY(base.RelativePath().empty());
    QVERIFY(!base.Active());
    TRegAppDefaultUserConfig config(nullptr, m_registry.get());
    QCOMPARE(config.RootKey(), TRegistryHive::rhAllUsers);
    setVcqKey(config);
    QCOMPARE(config.BuildKeyPath(),
             std::string("SOFTWARE\\Vellora Softwares\\Vellora Carnetique 97\\v1.0"));
    QCOMPARE(config.RootKey(), TRegistryHive::rhMachine);
    QVERIFY(m_registry->calls.isEmpty());
}

void TestRegApp::buildKeyPath_data()
{
    QTest::addColumn<TRegistryHive>("hive");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("path");

    QTest::newRow("all empty") << TRegistryHive::rhCurrentUser << ""
                               << ""
                               << ""
                               << ""
                               << "SOFTWARE\\TESTCOMPANY\\TESTAPPLICATION\\1.0a";
    QTest::newRow("program's key with sub-path")
        << TRegistryHive::rhMachine << "Vellora Softwares"
        << "Vellora Carnetique 97"
        << "v1.0"
        << "Sub"
        << "SOFTWARE\\Vellora Softwares\\Vellora Carnetique 97\\v1.0\\Sub";
    QTest::newRow("all users") << TRegistryHive::rhAllUsers << "C"
                               << "A"
                               << "V"
                               << ""
                               << ".DEFAULT\\SOFTWARE\\C\\A\\V";
    QTest::newRow("names kept as they are") << TRegistryHive::rhMachine << " c "
                                            << "a\\b"
                                            << ""
                                            << "x\\"
                                            << "SOFTWARE\\ c \\a\\b\\1.0a\\x\\";
}

void TestRegApp::buildKeyPath()
{
    QFETCH(TRegistryHive, hive);
    QFETCH(QString, company);
    QFETCH(QString, application);
    QFETCH(QString, version);
    QFETCH(QString, relative);
    QFETCH(QString, path);
    TRegApp reg(nullptr, m_registry.get());
    reg.setRootKey(hive);
    reg.setCompany(company.toStdString());
    reg.setApplicationName(application.toStdString());
    reg.setVersion(version.toStdString());
    reg.setRelativePath(relative.toStdString());
    QCOMPARE(QString::fromStdString(reg.BuildKeyPath()), path);
}

void TestRegApp::activationCalls()
{
    TRegApp reg(nullptr, m_registry.get());
    reg.setActive(false);
    QVERIFY(m_registry->calls.isEmpty());
    reg.setActive(true);
    reg.setActive(true);
    const QString create =
        QStringLiteral("create HKEY_CURRENT_USER\\SOFTWARE\\My Company\\My Application\\v1.0a");
    // Create (and let go), then open: once, however often it is asked.
    QCOMPARE(m_registry->calls, QStringList({create, QStringLiteral("close"), create}));
    QCOMPARE(reg.currentPath(), reg.BuildKeyPath());
    m_registry->calls.clear();
    reg.setActive(false);
    reg.setActive(false);
    QCOMPARE(m_registry->calls, QStringList({QStringLiteral("close")}));
    QVERIFY(reg.currentPath().empty());
}

void TestRegApp::hiveDecidesTheRoot_data()
{
    QTest::addColumn<TRegistryHive>("hive");
    QTest::addColumn<int>("root");
    QTest::addColumn<QString>("call");

    QTest::newRow("current user") << TRegistryHive::rhCurrentUser << int(HKEY_CURRENT_USER)
                                  << "create HKEY_CURRENT_USER\\SOFTWARE\\C\\A\\V";
    QTest::newRow("all users") << TRegistryHive::rhAllUsers << int(HKEY_USERS)
                               << "create HKEY_USERS\\.DEFAULT\\SOFTWARE\\C\\A\\V";
    QTest::newRow("machine") << TRegistryHive::rhMachine << int(HKEY_LOCAL_MACHINE)
                             << "create HKEY_LOCAL_MACHINE\\SOFTWARE\\C\\A\\V";
}

void TestRegApp::hiveDecidesTheRoot()
{
    QFETCH(TRegistryHive, hive);
    QFETCH(int, root);
    QFETCH(QString, call);
    TRegApp reg(nullptr, m_registry.get());
    reg.setRootKey(hive);
    reg.setCompany("C");
    reg.setApplicationName("A");
    reg.setVersion("V");
    reg.setActive(true);
    QCOMPARE(int(reg.currentRoot()), root);
    QCOMPARE(m_registry->calls.value(0), call);
}

void TestRegApp::propertyChangeReopens()
{
    TRegAppDefaultUserConfig reg(nullptr, m_registry.get());
    setVcqKey(reg);
    reg.setActive(true);
    reg.WriteIntegerValue("n", 1);
    m_registry->calls.clear();

    reg.setVersion("v1.0"); // unchanged: nothing happens
    QVERIFY(m_registry->calls.isEmpty());
    reg.setVersion("v2.0");
    const QString create = QStringLiteral(
        "create HKEY_LOCAL_MACHINE\\SOFTWARE\\Vellora Softwares\\Vellora Carnetique 97\\v2.0");
    QCOMPARE(m_registry->calls,
             QStringList({QStringLiteral("close"), create, QStringLiteral("close"), create}));
    QVERIFY(reg.Active());
    QVERIFY(!reg.HasValue("n")); // the new key is the one now open
    reg.setVersion("v1.0");
    QVERIFY(reg.HasValue("n"));

    m_registry->calls.clear();
    reg.setRootKey(TRegistryHive::rhCurrentUser);
    QCOMPARE(m_registry->calls.value(1),
             QStringLiteral("create HKEY_CURRENT_USER\\SOFTWARE\\Vellora Softwares\\Vellora "
                            "Carnetique 97\\v1.0"));
}

void TestRegApp::propertyChangeWhileInactive()
{
    TRegApp reg(nullptr, m_registry.get());
    reg.setRootKey(TRegistryHive::rhMachine);
    reg.setCompany("X");
    reg.setApplicationName("Y");
    reg.setVersion("Z");
    reg.setRelativePath("W");
    QVERIFY(m_registry->calls.isEmpty());
    QVERIFY(!reg.Active());
}

void TestRegApp::typedRoundTrips()
{
    TRegAppDefaultUserConfig writer(nullptr, m_registry.get());
    setVcqKey(writer);
    writer.setActive(true);
    const std::int32_t ints[] = {0, 1, -1, 2147483647, -2147483647 - 1, 260};
    for (std::int32_t n : ints) {
        writer.WriteIntegerValue("n", n);
        QCOMPARE(writer.ReadIntegerValue("n"), n);
    }
    writer.WriteBoolValue("b", true);
    QCOMPARE(writer.ReadBoolValue("b"), true);
    QCOMPARE(writer.ReadIntegerValue("b"), 1);
    writer.WriteBoolValue("b", false);
    QCOMPARE(writer.ReadBoolValue("b"), false);
    writer.WriteIntegerValue("b", -5);
    QCOMPARE(writer.ReadBoolValue("b"), true);
    writer.WriteStringValue("s", "Montr\xe9"
                                 "al");
    writer.setActive(false);

    // A second component, as the other window has, sees the same values.
    TRegAppDefaultUserConfig reader(nullptr, m_registry.get());
    setVcqKey(reader);
    reader.setActive(true);
    QCOMPARE(reader.ReadIntegerValue("n"), 260);
    QCOMPARE(reader.ReadStringValue("s"), std::string("Montr\xe9"
                                                      "al"));
    reader.WriteStringValue("s", "");
    QCOMPARE(reader.ReadStringValue("s"), std::string());
    QVERIFY(reader.HasValue("s"));
    QCOMPARE(reader.ReadStringValue("never"), std::string());
    QVERIFY(!reader.HasValue("never"));
}

void TestRegApp::storedForms()
{
    TRegApp reg(nullptr, m_registry.get());
    reg.setActive(true);
    reg.WriteStringValue("s", "abc");
    reg.WriteStringValue("e", "");
    reg.WriteIntegerValue("i", 0x01020304);
    reg.WriteBoolValue("b", true);

    RegKeyHandle key = 0;
    QCOMPARE(m_raw->createKey(HKEY_CURRENT_USER, reg.BuildKeyPath(), &key), long(ERROR_SUCCESS));
    const auto stored = [&](const char *name, std::uint32_t &type) {
        std::string data(16, '\0');
        std::uint32_t size = 16;
        if (m_raw->queryValue(key, name, &type, reinterpret_cast<unsigned char *>(data.data()),
                              &size) != ERROR_SUCCESS)
            return std::string("(missing)");
        data.resize(size);
        return data;
    };
    std::uint32_t type = 0;
    QCOMPARE(stored("s", type), std::string("abc")); // no terminating NUL
    QCOMPARE(type, REG_SZ);
    QCOMPARE(stored("e", type), std::string());
    QCOMPARE(type, REG_SZ);
    QCOMPARE(stored("i", type), std::string("\x04\x03\x02\x01"));
    QCOMPARE(type, REG_DWORD);
    QCOMPARE(stored("b", type), std::string("\x01\0\0\0", 4));
    QCOMPARE(type, REG_DWORD);
}

void TestRegApp::readErrors_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data"); // null: no value at all
    QTest::addColumn<bool>("asString");
    QTest::addColumn<QString>("result"); // the read's result, or the error message

    const QByteArray none;
    QTest::newRow("missing integer") << 0u << none << false << "Failed to get data for 'v'";
    QTest::newRow("missing string") << 0u << none << true << "";
    QTest::newRow("empty dword as string") << quint32(REG_DWORD) << QByteArray("") << true << "";
    QTest::newRow("long text as integer")
        << quint32(REG_SZ) << QByteArray("Quebec") << false << "Failed to get data for 'v'";
    QTest::newRow("short text as integer")
        << quint32(REG_SZ) << QByteArray("abc") << false << "Invalid data type for 'v'";
    QTest::newRow("binary as integer")
        << quint32(REG_BINARY) << QByteArray("\1\0\0\0", 4) << false << "Invalid data type for 'v'";
    QTest::newRow("dword as string")
        << quint32(REG_DWORD) << QByteArray("\1\0\0\0", 4) << true << "Invalid data type for 'v'";
    QTest::newRow("binary as string")
        << quint32(REG_BINARY) << QByteArray("ab") << true << "Invalid data type for 'v'";
    QTest::newRow("expandable string unexpanded")
        << quint32(REG_EXPAND_SZ) << QByteArray("%HOME%") << true << "%HOME%";
    QTest::newRow("string ends at its first NUL")
        << quint32(REG_SZ) << QByteArray("ab\0cd", 5) << true << "ab";
    QTest::newRow("string with a terminating NUL")
        << quint32(REG_SZ) << QByteArray("abc\0", 4) << true << "abc";
    QTest::newRow("short dword") << quint32(REG_DWORD) << QByteArray("\x05\x01", 2) << false
                                 << "261";
}

void TestRegApp::readErrors()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(bool, asString);
    QFETCH(QString, result);
    TRegApp reg(nullptr, m_registry.get());
    if (!data.isNull()) {
        RegKeyHandle key = 0;
        QCOMPARE(m_raw->createKey(HKEY_CURRENT_USER, reg.BuildKeyPath(), &key),
                 long(ERROR_SUCCESS));
        QCOMPARE(m_raw->setValue(key, "v", type,
                                 reinterpret_cast<const unsigned char *>(data.data()),
                                 quint32(data.size())),
                 long(ERROR_SUCCESS));
    }
    reg.setActive(true);
    QString got;
    try {
        got = asString ? QString::fromStdString(reg.ReadStringValue("v"))
                       : QString::number(reg.ReadIntegerValue("v"));
    } catch (const ERegistryException &e) {
        got = QString::fromUtf8(e.what());
    }
    QCOMPARE(got, result);
    QVERIFY(reg.Active()); // an error leaves an active component as it was
}

void TestRegApp::noKeyOpen()
{
    m_registry->failCreateNumber = 2; // created, but the opening fails
    TRegApp reg(nullptr, m_registry.get());
    reg.setActive(true);
    QVERIFY(reg.Active());
    QVERIFY(reg.currentPath().empty());
    QVERIFY(!reg.HasValue("v"));
    QCOMPARE(reg.ReadStringValue("v"), std::string());
    const auto message = [](auto &&call) {
        try {
            call();
        } catch (const ERegistryException &e) {
            return QString::fromUtf8(e.what());
        }
        return QString();
    };
    QCOMPARE(message([&] { reg.ReadIntegerValue("v"); }),
             QStringLiteral("Failed to get data for 'v'"));
    QCOMPARE(message([&] { reg.ReadBoolValue("v"); }),
             QStringLiteral("Failed to get data for 'v'"));
    QCOMPARE(message([&] { reg.WriteIntegerValue("v", 1); }),
             QStringLiteral("Failed to set data for 'v'"));
    QCOMPARE(message([&] { reg.WriteStringValue("v", "x"); }),
             QStringLiteral("Failed to set data for 'v'"));
    QCOMPARE(message([&] { reg.WriteBoolValue("v", true); }),
             QStringLiteral("Failed to set data for 'v'"));
    m_registry->calls.clear();
    reg.setActive(false); // nothing to close
    QVERIFY(m_registry->calls.isEmpty());
}

void TestRegApp::callWhileInactive()
{
    TRegApp reg(nullptr, m_registry.get());
    reg.WriteIntegerValue("n", 7);
    QVERIFY(!reg.Active());
    QCOMPARE(reg.ReadIntegerValue("n"), 7);
    QVERIFY(!reg.Active());
    // Even when the call fails, the component is let go again.
    QVERIFY_THROWS_EXCEPTION(ERegistryException, reg.ReadIntegerValue("missing"));
    QVERIFY(!reg.Active());
    QCOMPARE(m_registry->calls.count(QStringLiteral("close")), 6); // three uses, two closes each
}

void TestRegApp::destroyedWhileActive()
{
    {
        QObject owner;
        auto *reg = new TRegApp(&owner, m_registry.get());
        reg->setActive(true);
        m_registry->calls.clear();
    }
    QCOMPARE(m_registry->calls, QStringList({QStringLiteral("close")}));
}

QTEST_GUILESS_MAIN(TestRegApp)
#include "tst_reg_app.moc"
