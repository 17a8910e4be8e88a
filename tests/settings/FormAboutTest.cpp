#include "settings/FormAbout.h"

#include "platform/UrlOpener.h"
#include "tests/platform/QStringPrinter.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(FormAbout, VersionTitleJoinsMinorAndRelease)
{
    EXPECT_EQ(FormatAppVersion(1, 0, 2), u"VornViewer version 1.02"_qs);
    EXPECT_EQ(FormatAppVersion(2, 1, 10), u"VornViewer version 2.110"_qs);
    TfrmAbout about;
    EXPECT_EQ(about.lblAppName->text(), FormatAppVersion(VV_VERSION_MAJOR, VV_VERSION_MINOR, VV_VERSION_PATCH));
    EXPECT_EQ(about.windowTitle(), u"About"_qs);
    EXPECT_EQ(about.Label4->text(), u"Thanks to:"_qs);
}

TEST(FormAbout, LinksOpenTheirAddresses)
{
    QList<QUrl> opened;
    TUrlOpener::SetHandler([&](const QUrl &url) { opened << url; });
    TfrmAbout about;
    about.show();
    QTest::mouseClick(about.Label2, Qt::LeftButton);
    QTest::mouseClick(about.Label1, Qt::LeftButton);
    TUrlOpener::SetHandler({});
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].toString(), about.Label2->toolTip());
    EXPECT_EQ(opened[0].scheme(), u"https"_qs);
    EXPECT_EQ(opened[1].toString(), about.Label1->toolTip());
    EXPECT_EQ(opened[1].scheme(), u"mailto"_qs);
}

// Each showing builds a new window that is gone when Execute returns; both
// Escape and "&Ok" close it.
TEST(FormAbout, EveryShowingIsAFreshWindowClosedByEscapeOrOk)
{
    QList<QPointer<TfrmAbout>> shown;
    auto closeWith = [&shown](bool escape) {
        QTimer::singleShot(0, [&shown, escape] {
            auto *about = qobject_cast<TfrmAbout *>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            shown << about;
            if (escape)
                QTest::keyClick(about, Qt::Key_Escape);
            else
                QTest::mouseClick(about->Button1, Qt::LeftButton);
        });
    };
    closeWith(true);
    TfrmAbout::Execute(nullptr);
    closeWith(false);
    TfrmAbout::Execute(nullptr);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].isNull());
    EXPECT_TRUE(shown[1].isNull());
}

}  // namespace
