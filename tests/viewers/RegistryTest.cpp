#include "ViewerTestSupport.h"
#include "archive/Exceptions.h"
#include "viewers/BuiltInFormats.h"
#include "viewers/FormatList.h"
#include "viewers/ImageFormat.h"
#include "viewers/ViewHandler.h"

#include <vector>

namespace {

// A format that claims one extension; it records its destruction.
class TFakeFormat : public TAbstractFormat {
public:
    TFakeFormat(QString claim, QString description, int icon, std::vector<QString> *destroyed = nullptr)
        : m_claim(std::move(claim)), m_description(std::move(description)), m_icon(icon),
          m_destroyed(destroyed)
    {
    }
    ~TFakeFormat() override
    {
        if (m_destroyed)
            m_destroyed->push_back(m_description);
    }
    TDeclinedBuffer InternalView(const QString &, TFileBuffer buffer, QWidget *) override
    {
        return buffer;
    }
    bool CanViewFormat(const QString &extension) override { return extension == m_claim; }
    int IconIndex(const QString &) override { return m_icon; }
    QString FormatDescription(const QString &) override { return m_description; }

private:
    QString m_claim;
    QString m_description;
    int m_icon;
    std::vector<QString> *m_destroyed;
};

class TFailingFormat : public TFakeFormat {
public:
    TFailingFormat() : TFakeFormat(QStringLiteral(".bad"), QString(), 0) {}
    int IconIndex(const QString &) override { throw Exception("icon failed"); }
    QString FormatDescription(const QString &) override { throw Exception("description failed"); }
};

using FormatRegistry = TViewerTest;

TEST_F(FormatRegistry, ExtensionRunsFromTheLastPeriod)
{
    EXPECT_EQ(ExtractExtension(QStringLiteral("a.b.txt")), QStringLiteral(".txt"));
    EXPECT_EQ(ExtractExtension(QStringLiteral("PIC.BMP")), QStringLiteral(".BMP"));
    EXPECT_EQ(ExtractExtension(QStringLiteral("README")), QString());
    EXPECT_EQ(ExtractExtension(QStringLiteral("dot.")), QStringLiteral("."));
}

TEST_F(FormatRegistry, UnclaimedNamesGetTheirExtensionAsType)
{
    EXPECT_EQ(GetFormatDescription(QStringLiteral("map.gas")), QStringLiteral("GAS File"));
    EXPECT_EQ(GetFormatDescription(QStringLiteral(u"x.gäs")), QStringLiteral(u"GäS File"));
    EXPECT_EQ(GetFormatDescription(QStringLiteral("README")), QStringLiteral(" File"));
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("map.gas")), 4);
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("README")), 4);
}

TEST_F(FormatRegistry, BuiltInFormatsClaimTheirExactExtension)
{
    RegisterBuiltInFormats();
    EXPECT_EQ(GetFormatDescription(QStringLiteral("x.raw")), QStringLiteral("Texture"));
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("x.raw")), 8);
    EXPECT_EQ(GetFormatDescription(QStringLiteral("a.b.bmp")), QStringLiteral("Bitmap"));
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("a.b.bmp")), 8);
    EXPECT_EQ(GetFormatDescription(QStringLiteral("PIC.BMP")), QStringLiteral("BMP File"));
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("PIC.BMP")), 4);
    EXPECT_EQ(FindClaimingFormat(QStringLiteral(".RAW")), nullptr);
}

TEST_F(FormatRegistry, LaterRegistrationWins)
{
    RegisterFormat(std::make_unique<TFakeFormat>(QStringLiteral(".gas"), QStringLiteral("Old"), 5));
    RegisterFormat(std::make_unique<TFakeFormat>(QStringLiteral(".gas"), QStringLiteral("New"), 9));
    RegisterFormat(std::make_unique<TFakeFormat>(QStringLiteral(".other"), QStringLiteral("Other"), 6));
    EXPECT_EQ(GetFormatDescription(QStringLiteral("map.gas")), QStringLiteral("New"));
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("map.gas")), 9);
}

TEST_F(FormatRegistry, DescriptionErrorsGiveUnknownIconErrorsPassOn)
{
    RegisterFormat(std::make_unique<TFailingFormat>());
    EXPECT_EQ(GetFormatDescription(QStringLiteral("x.bad")), QStringLiteral("Unknown"));
    EXPECT_THROW(GetFormatIconIndex(QStringLiteral("x.bad")), Exception);
}

TEST_F(FormatRegistry, FormatsAreDestroyedFirstRegisteredFirst)
{
    std::vector<QString> destroyed;
    RegisterFormat(std::make_unique<TFakeFormat>(QStringLiteral(".a"), QStringLiteral("A"), 5, &destroyed));
    RegisterFormat(std::make_unique<TFakeFormat>(QStringLiteral(".b"), QStringLiteral("B"), 5, &destroyed));
    FormatList().Clear();
    EXPECT_EQ(destroyed, (std::vector<QString>{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(FormatList().Count(), 0u);
}

} // namespace
