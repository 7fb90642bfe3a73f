// Links reach the user's programs from texts the network may have written: an
// update list, an engine table or a help book the update road replaced.

#include "platform/shell/Desktop.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(OpenUrl, OnlyWebPagesAndMailGoToTheUsersPrograms)
{
    QStringList opened;
    const shell::ScopedUrlOpener recorder{[&](const QString &url) { opened << url; }};
    const QStringList followed = {"http://example.com/dl?zvo", "HTTPS://Example.com/", "mailto:a@example.com?subject=x",
                                  "http://example.com/a b|c"};
    const QStringList refused = {"file:///etc/passwd",
                                 "smb://attacker.example/share/run.desktop",
                                 "sftp://host/x",
                                 "javascript:alert(1)",
                                 "/usr/bin/xterm",
                                 "zarvello.desktop",
                                 "",
                                 "http:",
                                 "http:///etc/passwd"};
    for (const QString &url : followed + refused)
        shell::openUrl(url);
    EXPECT_EQ(opened.join(u'\n').toStdString(), followed.join(u'\n').toStdString());
}
