// The desktop's proxy variable as the program itself takes it over: started
// with a file that names no proxy, and ended as a desktop ends it, the
// program stores the proxy its HTTP client can use, or none.

#include "app/ProgramInstance.h"
#include "tests/app/MainFormFixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

namespace {

class DesktopProxyTest : public MainFormTest
{
protected:
    // The proxy keys of the file the program saves when a kill ends it.
    std::string proxyKeysSavedWith(const char *desktopProxy)
    {
        QTemporaryDir config;
        EXPECT_TRUE(config.isValid());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // No stored system proxy setting stands before the desktop's.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("http_proxy"), QString::fromLatin1(desktopProxy));
        env.remove(QStringLiteral("HTTP_PROXY"));
        program.setProcessEnvironment(env);
        write("Domain-Data.txt", "a.example\t0\t0\t0\t0\r\n");
        write("Options.ini", "[zarvello]\r\nShowSplashScreen=false\r\nUseProxy=false\r\nProxyKind=HTTP\r\n"
                             "ProxyServer=mine.lan\r\nProxyPort=8\r\n");
        program.start(m_folder.file(QStringLiteral("zarvello")), {});
        EXPECT_TRUE(program.waitForStarted(10000));
        const QString lock = app::ProgramInstance::lockFileName(m_folder.path());
        EXPECT_TRUE(QTest::qWaitFor([&lock] { return QFile::exists(lock); }, 20000));
        ::kill(pid_t(program.processId()), SIGTERM);
        EXPECT_TRUE(program.waitForFinished(20000));
        std::string keys;
        for (const QByteArray &line : QByteArray::fromStdString(read("Options.ini")).split('\n'))
            if (line.startsWith("UseProxy=") || line.startsWith("ProxyKind=") || line.startsWith("ProxyServer=") ||
                line.startsWith("ProxyPort="))
                keys += line.trimmed().toStdString() + " ";
        return keys;
    }
};

TEST_F(DesktopProxyTest, TheProgramStoresOnlyAProxyItsClientCanSpeakTo)
{
    EXPECT_EQ(proxyKeysSavedWith("http://[::1]:3128/"),
              "UseProxy=true ProxyKind=HTTP ProxyServer=[::1] ProxyPort=3128 ");
    EXPECT_EQ(proxyKeysSavedWith("http://px.lan/"), "UseProxy=true ProxyKind=HTTP ProxyServer=px.lan ProxyPort=80 ");
    EXPECT_EQ(proxyKeysSavedWith("socks5://px.lan:1080"),
              "UseProxy=false ProxyKind=HTTP ProxyServer=mine.lan ProxyPort=8 ");
}

} // namespace
