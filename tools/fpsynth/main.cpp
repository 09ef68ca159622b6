// fpsynth: writes synthetic fingerprint impressions and their ground truth (see SynthOptions.h).
#include <QDir>
#include <QFile>
#include <QString>
#include <atomic>
#include <mutex>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <vector>

#include "SynthOptions.h"
#include "engine/synth/GroundTruthJson.h"
#include "engine/synth/Impression.h"
#include "engine/synth/MasterFingerprint.h"
#include "engine/synth/SynthRandom.h"

using namespace lumo::engine::synth;

namespace {

bool writeText(const QString& path, const std::string& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
           file.flush();
}

// Writes one finger's files; returns an error message, empty on success.
std::string makeFinger(const SynthOptions& o, int finger)
{
    const QDir dir(QString::fromStdString(o.outDir));
    MasterParameters master;
    master.width = o.width;
    master.height = o.height;
    const MasterFingerprint print = MasterFingerprint::generate(SynthRandom::derive(o.seed, finger), master);
    if (o.masters) {
        QImage image(print.width(), print.height(), QImage::Format_Grayscale8);
        for (int y = 0; y < print.height(); ++y)
            for (int x = 0; x < print.width(); ++x)
                image.scanLine(y)[x] = static_cast<uchar>(128 - 100 * print.ridges()[y * print.width() + x]);
        const QString path = dir.filePath(QString("%1_master.png").arg(finger));
        if (!image.save(path, "PNG")) return "cannot write " + path.toStdString();
    }
    for (int k = 1; k <= o.impressions; ++k) {
        const Impression impression = Impression::take(print, SynthRandom::derive(o.seed, finger, k));
        const QString name = QString("%1_%2.png").arg(finger).arg(k);
        const QString png = dir.filePath(name);
        if (!impression.image.save(png, "PNG")) return "cannot write " + png.toStdString();
        const QString json = dir.filePath(QString("%1_%2.json").arg(finger).arg(k));
        if (!writeText(json, groundTruthJson(impression, name.toStdString(), finger, k, print.model().fingerClass())))
            return "cannot write " + json.toStdString();
    }
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    SynthOptions o;
    try {
        o = parseSynthOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "fpsynth: %s\n%s", e.what(), synthUsage());
        return 2;
    }
    if (o.help) {
        std::fputs(synthUsage(), stdout);
        return 0;
    }
    if (!QDir().mkpath(QString::fromStdString(o.outDir))) {
        std::fprintf(stderr, "fpsynth: cannot create %s\n", o.outDir.c_str());
        return 1;
    }

    std::atomic<int> nextFinger{1};
    std::atomic<bool> failed{false};
    std::mutex errorLock;
    std::string firstError;
    auto work = [&]() {
        for (int f = nextFinger++; f <= o.fingers && !failed; f = nextFinger++) {
            const std::string error = makeFinger(o, f);
            if (!error.empty()) {
                std::lock_guard lock(errorLock);
                if (!failed.exchange(true)) firstError = error;
            }
        }
    };
    std::vector<std::thread> threads;
    for (int j = 1; j < o.jobs; ++j) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    if (failed) {
        std::fprintf(stderr, "fpsynth: %s\n", firstError.c_str());
        return 1;
    }
    std::printf("fpsynth: %d fingers x %d impressions in %s\n", o.fingers, o.impressions, o.outDir.c_str());
    return 0;
}
