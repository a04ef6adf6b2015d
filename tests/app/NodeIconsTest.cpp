#include "GuiTestMain.h"

#include "app/NodeIcons.h"

#include <QImage>
#include <QPixmap>

class NodeIconsTest : public QObject
{
    Q_OBJECT

private:
    // Drawn, not blank: at least some pixels are opaque.
    static bool draws(const QIcon &icon)
    {
        const QImage image = icon.pixmap(16, 16).toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 128)
                    return true;
        return false;
    }

private Q_SLOTS:
    void everyKindAndStateDraws()
    {
        for (int kind = 0; kind <= 6; ++kind)
            QVERIFY2(draws(NodeIcons::iconForKind(kind)), qPrintable(QString::number(kind)));
        QVERIFY(draws(NodeIcons::loadingIcon()));
        QVERIFY(draws(NodeIcons::problemIcon()));
        QVERIFY(draws(NodeIcons::applicationIcon()));
    }
};

QF_GUI_TEST_MAIN(NodeIconsTest)
#include "NodeIconsTest.moc"
