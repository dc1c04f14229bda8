// Writes the window as drawn to the PNG named by QM_FORM_SCREENSHOT (used by
// scripts/screenshot.sh); skipped otherwise.
#include "ui/Form.h"

#include <QImage>

#include <gtest/gtest.h>

TEST(FormScreenshot, WritesPictureOfTheWindow)
{
    const QByteArray path = qgetenv("QM_FORM_SCREENSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "set QM_FORM_SCREENSHOT to a PNG path to write a picture of the window";
    qm::ui::Form form;
    form.show();
    const QImage image = form.screenshot();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(QString::fromLocal8Bit(path), "PNG"));
}
