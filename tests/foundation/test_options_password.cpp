#include "options_fixture.h"

#include "foundation/MyUtilities.h"

using namespace foundation;

namespace {

using namespace std::string_literals;

TEST_F(OptionsTest, PasswordsSurviveTheStoredForm)
{
    LoadOptions();
    std::vector<std::string> passwords = {"", ";", ";;;", "a;b~~~c;", "~~~", "~;~", "pass word ", "\xe9t\xe9\xff"};
    for (char c = 0x20; c < 0x7F; ++c) {
        passwords.push_back("pw" + std::string(1, c));
        passwords.push_back(std::string(1, c));
        passwords.push_back(std::string(3, c));
    }
    std::string typed;
    for (const std::string &password : passwords) {
        WritePasswordOption("ProxyPassword", password);
        EXPECT_EQ(ReadPasswordOption("ProxyPassword", "default"), password) << password;
        typed += password.size() == 3 ? password : "";
    }
    // No typed character, at any position, scrambles into what the stored
    // form escapes or cuts at.
    EXPECT_EQ(ScrambleText(typed).find_first_of(";~"s + '\0'), std::string::npos);
}

TEST_F(OptionsTest, StoredPasswordForms)
{
    writeOptions(header() + "ProxyPassword=\r\n");
    LoadOptions();
    WritePasswordOption("ProxyPassword", "");
    EXPECT_EQ(optionsFile(), header() + "ProxyPassword=Base64:\r\n");
    EXPECT_EQ(ReadPasswordOption("ProxyPassword", "def"), "");

    // Files written by earlier versions keep their passwords: the scramble
    // keys never change.
    writeOptions(header() + "ProxyPassword=Base64:8uj+8+jp\r\n");
    EXPECT_EQ(ReadPasswordOption("ProxyPassword", ""), "secret");

    // A value without the prefix is the scrambled text itself.
    writeOptions(header() + "ProxyPassword=" + ScrambleText("secret") + "\r\n");
    EXPECT_EQ(ReadPasswordOption("ProxyPassword", ""), "secret");

    // One trailing NUL of the encoded text is dropped.
    writeOptions(header() + "ProxyPassword=Base64:" + EncodeBase64Option(ScrambleText("pw") + '\0') + "\r\n");
    EXPECT_EQ(ReadPasswordOption("ProxyPassword", ""), "pw");

    // "~~~" in the stored text stands for a scrambled ";".
    writeOptions(header() + "ProxyPassword=Base64:" + EncodeBase64Option("x~~~") + "\r\n");
    EXPECT_EQ(ReadPasswordOption("ProxyPassword", ""), ScrambleText("x;"));

    EXPECT_EQ(EncodeBase64Option("ab"), "YWI=");
    EXPECT_EQ(DecodeBase64Option("YWI="), "ab");
}

// Scrambled texts the escape of ";" cannot carry: "~;" and ";~" both become
// "~~~~", "~~~" reads as ";", and a trailing NUL is taken for padding. Each
// at every position of the three scramble keys, through the file.
TEST_F(OptionsTest, PasswordsTheEscapeCannotCarryReadBack)
{
    const std::string scrambled[] = {"~;", "~~~", "~~;", "~;~;", "a~~~~b", ";~", "x"s + '\0', "~;"s + '\0'};
    for (int offset = 0; offset < 3; ++offset) {
        for (const std::string &s : scrambled) {
            const std::string password = ScrambleText(ScrambleText(std::string(size_t(offset), 'a')) + s);
            SCOPED_TRACE(testing::PrintToString(password));
            writeOptions(header() + "UseProxy=true\r\n");
            LoadOptions();
            ProxyPassword = password;
            ASSERT_TRUE(SaveOptions());
            ProxyPassword.clear();
            LoadOptions();
            EXPECT_EQ(ProxyPassword, password);
            // Stored as before wherever the escape carries it.
            if (s == ";~") {
                EXPECT_NE(optionsFile().find("ProxyPassword=Base64:" +
                                             EncodeBase64Option(ReplaceText(ScrambleText(password), ";", "~~~", true))),
                          std::string::npos);
            }
        }
    }
    WritePasswordOption("ProxyPassword", "secret");
    EXPECT_NE(optionsFile().find("ProxyPassword=Base64:8uj+8+jp\r\n"), std::string::npos);
}

// Text after the prefix that is no Base64 is nobody's password form; a
// lenient decoder would make some bytes of it, and a save would then lose
// the text for good. It is written back as it stands until the password is
// changed.
TEST_F(OptionsTest, AStoredPasswordThatIsNoBase64IsWrittenBackAsItStands)
{
    const std::string odd = "ProxyPassword=Base64:@@@notbase64@@@\r\n";
    writeOptions(header() + odd + "UseProxy=true\r\n");
    LoadOptions();
    EXPECT_EQ(ProxyPassword, ScrambleText(DecodeBase64Option("@@@notbase64@@@"))); // read as before
    ASSERT_TRUE(SaveOptions());
    EXPECT_NE(optionsFile().find(odd), std::string::npos) << optionsFile();
    WritePasswordOption("ProxyPassword", ProxyPassword);
    EXPECT_NE(optionsFile().find(odd), std::string::npos) << optionsFile();

    ProxyPassword = "changed";
    ASSERT_TRUE(SaveOptions());
    EXPECT_EQ(optionsFile().find("@@@"), std::string::npos);
    LoadOptions();
    EXPECT_EQ(ProxyPassword, "changed");

    // The form written for a password the escape cannot carry is Base64,
    // and a save keeps it.
    const std::string hard = ScrambleText("~;");
    WritePasswordOption("ProxyPassword", hard);
    const std::string stored = optionsFile();
    LoadOptions();
    EXPECT_EQ(ProxyPassword, hard);
    ASSERT_TRUE(SaveOptions());
    EXPECT_EQ(optionsFile(), stored);

    // Another file's odd value is no reason to keep this one's.
    writeOptions(header() + odd);
    LoadOptions();
    writeOptions(header() + "ProxyPassword=Base64:8uj+8+jp\r\n");
    LoadOptions();
    ProxyPassword = ScrambleText(DecodeBase64Option("@@@notbase64@@@"));
    ASSERT_TRUE(SaveOptions());
    EXPECT_EQ(optionsFile().find("@@@"), std::string::npos);
}

// Base64 that decodes without complaint but is not what an encoder writes: a
// dangling character, missing padding, padding bits that are not zero. The
// decoded bytes do not carry all of such a text, so it is kept as it stands
// as well; the canonical form is rewritten as before.
TEST_F(OptionsTest, StoredPasswordsInAnyButTheEncodersBase64AreWrittenBackAsTheyStand)
{
    for (const std::string &odd : {"8uj+8+jpZ"s, "8uj+8+g"s, "8uj+8+h="s, "Y"s, "8uj+\t8+jp"s}) {
        SCOPED_TRACE(odd);
        writeOptions(header() + "ProxyPassword=Base64:" + odd + "\r\n");
        LoadOptions();
        EXPECT_EQ(ProxyPassword, ScrambleText(DecodeBase64Option(odd)));
        ASSERT_TRUE(SaveOptions());
        EXPECT_NE(optionsFile().find("ProxyPassword=Base64:" + odd + "\r\n"), std::string::npos) << optionsFile();
    }
    writeOptions(header() + "ProxyPassword=Base64:8uj+8+g=\r\n");
    LoadOptions();
    EXPECT_EQ(ProxyPassword, "secre");
    ProxyPassword = "secret";
    ASSERT_TRUE(SaveOptions());
    EXPECT_NE(optionsFile().find("ProxyPassword=Base64:8uj+8+jp\r\n"), std::string::npos) << optionsFile();
}

} // namespace
