#include "app/Module1.h"
#include "platform/AppInfo.h"

#include <QApplication>
#include <QFont>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(AppInfo::versionMajor)
                                            .arg(AppInfo::versionMinor)
                                            .arg(AppInfo::versionRevision));
    QApplication::setQuitOnLastWindowClosed(true);
    // Arial (Liberation Sans where Arial itself is missing) at the classic
    // dialog size keeps every caption inside its twips-sized control.
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
    Module1::Main();
    return app.exec();
}
