#include "app/DesignFont.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The icons live in the core library's resources, which a static
    // library does not register by itself.
    Q_INIT_RESOURCE(resources);

    // Qt 5 leaves scaling off unless asked: on a 192 dpi screen the fonts grow
    // while the fixed sizes of the panel and dialogs stay, clipping texts.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    DesignFont::apply();
    // Relative to the working directory, as are the translations below.
    QApplication::addLibraryPath(QStringLiteral("./plugins"));

    QLocale locale;
    QTranslator translator;
    // Qt's own texts (file dialogs, standard buttons) from the system's Qt
    // translations, so a Chinese desktop sees one language throughout.
    QTranslator qtTranslator;
    if (locale.language() == QLocale::Chinese) {
        translator.load(QStringLiteral("language/language_cn.qm"));
        qtTranslator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    } else if (locale.language() == QLocale::English) {
        translator.load(QStringLiteral("language/language_en.qm"));
    }
    QApplication::installTranslator(&qtTranslator);
    QApplication::installTranslator(&translator);

    MainWindow window;
    const QWidget *desktop = QApplication::desktop();
    window.resize(static_cast<int>(desktop->width() * 0.8), static_cast<int>(desktop->height() * 0.8));
    window.show();
    window.move((desktop->width() - window.geometry().width()) / 2,
                (desktop->height() - window.geometry().height()) / 2);
    return app.exec();
}
