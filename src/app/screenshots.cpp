#include "app/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

#include "app/pelmar_main_form.h"

namespace pelmar {

int takeScreenshots(TPelmarMainForm& form, const QString& directory) {
    QDir().mkpath(directory);
    QTabWidget* tabs = form.pageControl();
    int failed = 0;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name = QStringLiteral("%1-%2.png")
                                 .arg(i + 1)
                                 .arg(tabs->tabText(i).toLower().replace(u' ', u'-'));
        if (!form.grab().save(QDir(directory).filePath(name)))
            ++failed;
    }
    tabs->setCurrentIndex(0);
    return failed;
}

}  // namespace pelmar
