// kestrel-makedb OUTPUT SCRIPT...: makes Kestrel's database file from SQL scripts at build
// time. An existing OUTPUT is kept as it is (the operator's persons are never overwritten);
// "@PROGRAM_FOLDER@" in a script stands for the folder of OUTPUT, ending in "/".
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

#include "app/DatabaseFile.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: kestrel-makedb OUTPUT SCRIPT...\n");
        return 2;
    }
    const QString output = QFileInfo(args[0]).absoluteFilePath();
    if (QFileInfo::exists(output)) return 0;
    QTemporaryDir work;
    QStringList scripts;
    const QString folder = QFileInfo(output).absolutePath() + QLatin1Char('/');
    for (int i = 1; i < args.size(); ++i) {
        QFile in(args[i]);
        if (!in.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "kestrel-makedb: cannot read %s\n", qPrintable(args[i]));
            return 1;
        }
        QString text = QString::fromUtf8(in.readAll());
        text.replace(QStringLiteral("@PROGRAM_FOLDER@"), folder);
        const QString copy = work.filePath(QString::number(i) + QStringLiteral(".sql"));
        QFile out(copy);
        if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0) {
            std::fprintf(stderr, "kestrel-makedb: cannot write %s\n", qPrintable(copy));
            return 1;
        }
        scripts << copy;
    }
    try {
        lumo::app::createDatabaseFile(output, scripts);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrel-makedb: %s\n", e.what());
        return 1;
    }
    std::printf("kestrel-makedb: made %s\n", qPrintable(output));
    return 0;
}
