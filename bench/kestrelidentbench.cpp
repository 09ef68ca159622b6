// kestrelidentbench: Kestrel's identification at scale. Stores N synthetic templates in a
// person database, then identifies presses through the control (in this process, over the
// real engine) with the main window's scan: the first match in USER_ID order, the progress
// label repainted as the scan goes.
//
//     kestrelidentbench [N]        (default 10000; build in Release for timings)
//
// Prints the time to read the template rows, the time of one MatchFinger through the control,
// and the time of whole identifications: a press of the last stored finger (the worst case
// that still matches) and a press of a finger nobody stored (every row compared).
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/DatabaseFile.h"
#include "app/LumoHost.h"
#include "app/TemplateScan.h"
#include "app/UserStore.h"
#include "control/core/VIZErevorMainImpl.h"
#include "engine/runtime/FPEngine.h"
#include "engine/synth/SyntheticFeatures.h"
#include "engine/template/TemplateForms.h"
#include "platform/com/Bstr.h"

using namespace lumo;

namespace {

// Kestrel's calls, straight on the control's interface (what the host wrapper does after
// creating the control).
class InProcessHost final : public app::LumoHost {
public:
    explicit InProcessHost(ILumoMain* control) : m_control(control) {}
    void setVisible(bool) override {}
    void SetLanguageFile(const QString&) override {}
    void setIsAutoRegister(bool) override {}
    bool Register() override { return false; }
    QString RegisterTemplate() override { return {}; }
    int FingerIndex() override { return 0; }
    bool GetVerTemplate() override { return false; }
    QString VerifyTemplate() override { return {}; }
    bool MatchFinger(const QString& reg, const QString& ver) override {
        com::Bstr r(reg.toStdString());
        com::Bstr v(ver.toStdString());
        VARIANT_BOOL result = VARIANT_FALSE;
        if (FAILED(m_control->MatchFinger(r.get(), v.get(), &result)))
            throw app::LumoHostError("MatchFinger failed");
        return result != VARIANT_FALSE;
    }

private:
    ILumoMain* m_control;
};

std::string templateText(const engine::FeatureSet& features) {
    engine::Template t;
    t.features = features;
    return engine::TemplateForms::toText(t);
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (count < 1) {
        std::fprintf(stderr, "usage: kestrelidentbench [N]\n");
        return 2;
    }

    QTemporaryDir folder;
    const QString path = folder.filePath("LUMO.mdb");
    app::createDatabaseFile(path, {QStringLiteral(LUMO_SOURCE_DIR "/app/resources/schema.sql")});
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
        db.setDatabaseName(path);
        db.open();
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare("INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (?, ?, ?)");
        for (int i = 0; i < count; ++i) {
            const auto finger = engine::synth::SyntheticFeatures::finger(1000 + i);
            insert.addBindValue(i / 2 + 1);
            insert.addBindValue(i % 2 + 1);
            insert.addBindValue(QString::fromStdString(
                templateText(engine::synth::SyntheticFeatures::impression(finger, 1))));
            insert.exec();
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase("fill");

    auto engineObject = std::make_shared<engine::FPEngine>([] {
        engine::EngineSettings settings;
        settings.sensor = "none";
        settings.cardModule = "none";
        return settings;
    });
    auto control = com::makeObject<control::TLumoMain>(engineObject);
    InProcessHost host(control.get());
    app::UserStore store(QStringLiteral("bench"));
    store.connect(path);
    QLabel lblTotal;
    lblTotal.show();

    QElapsedTimer clock;
    clock.start();
    app::Dataset& rows = store.GetAllUser();
    std::printf("templates: %d, rows read in %lld ms\n", rows.recordCount(),
                static_cast<long long>(clock.elapsed()));

    const QString lastPress =
        QString::fromStdString(templateText(engine::synth::SyntheticFeatures::impression(
            engine::synth::SyntheticFeatures::finger(1000 + count - 1), 2)));
    const QString strangerPress =
        QString::fromStdString(templateText(engine::synth::SyntheticFeatures::impression(
            engine::synth::SyntheticFeatures::finger(7), 2)));

    clock.restart();
    const int single = std::min(count, 500);
    rows.first();
    for (int i = 0; i < single; ++i, rows.next()) host.MatchFinger(rows.text("TPL"), strangerPress);
    std::printf("one MatchFinger through the control: %.1f us\n",
                clock.nsecsElapsed() / 1000.0 / single);

    const auto identify = [&](const char* name, const QString& press) {
        int repaints = 0;
        clock.restart();
        const app::TemplateScan::Result r =
            app::TemplateScan::firstMatch(host, press, store.GetAllUser(), [&](int n, int total) {
                lblTotal.setText(QString::number(n) + "/" + QString::number(total));
                lblTotal.repaint();
                ++repaints;
            });
        std::printf("%s: %lld ms, %s, label %s, %d repaints\n", name,
                    static_cast<long long>(clock.elapsed()),
                    r.userId ? ("USER_ID " + r.userId->toStdString()).c_str() : "no match",
                    lblTotal.text().toStdString().c_str(), repaints);
    };
    identify("press of the last stored finger", lastPress);
    identify("press of a finger nobody stored", strangerPress);
    return 0;
}
