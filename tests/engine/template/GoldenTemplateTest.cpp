// Golden files: templates written once by the current encoders (run the disabled case below
// with --gtest_also_run_disabled_tests to write them) and committed. Each format version must
// read its files forever, so these files are never regenerated for a released version.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "SampleFeatures.h"
#include "engine/template/Base64.h"
#include "engine/template/CompactTemplate.h"
#include "engine/template/Iso19794Record.h"
#include "engine/template/TemplateCodec.h"
#include "engine/template/TemplateForms.h"
#include "engine/template/TemplateLimits.h"

namespace lumo::engine {
namespace {

const std::string kDir = std::string(LUMO_SOURCE_DIR) + "/tests/data/templates/";

std::vector<std::uint8_t> readFile(const std::string& name)
{
    std::ifstream in(kDir + name, std::ios::binary);
    EXPECT_TRUE(in) << "missing golden file " << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readText(const std::string& name)
{
    const auto bytes = readFile(name);
    return {bytes.begin(), bytes.end()};
}

void writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(kDir + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Template golden(TemplateGeneration generation)
{
    Template t{generation, test::sampleFeatures(45, 416, 560, 2026)};
    t.features.quality = generation == TemplateGeneration::Gen10 ? 2 : 0;
    return t;
}

Template goldenForCard() { return Template{TemplateGeneration::Gen10, test::sampleFeatures(250, 416, 560, 99)}; }

TEST(GoldenTemplates, DISABLED_WriteGoldenFiles)
{
    for (auto g : {TemplateGeneration::Gen9, TemplateGeneration::Gen10}) {
        const std::string base = "gen" + generationText(g);
        const auto bytes = TemplateCodec::encode(golden(g));
        writeFile(base + ".tpl", bytes);
        const std::string text = base64Encode(bytes) + "\n";
        writeFile(base + ".txt", {text.begin(), text.end()});
        writeFile(base + ".lz", CompactTemplate::encode(golden(g)));
    }
    writeFile("gen10.card", CompactTemplate::encodeForCard(goldenForCard()));
    writeFile("gen10.fmr", Iso19794Record::exportRecord(golden(TemplateGeneration::Gen10).features));
}

TEST(GoldenTemplates, ByteAndTextFormsReadBack)
{
    for (auto g : {TemplateGeneration::Gen9, TemplateGeneration::Gen10}) {
        const std::string base = "gen" + generationText(g);
        SCOPED_TRACE(base);
        const auto bytes = readFile(base + ".tpl");
        const Template t = TemplateCodec::decode(bytes);
        EXPECT_EQ(t.generation, g);
        // Today's encoder still writes exactly these bytes from the same features.
        EXPECT_EQ(TemplateCodec::encode(golden(g)), bytes);
        EXPECT_EQ(TemplateCodec::encode(t), bytes);
        EXPECT_EQ(TemplateForms::toBytes(TemplateForms::decodeText(readText(base + ".txt"))), bytes);
    }
}

TEST(GoldenTemplates, CompactCardAndIsoFormsReadBack)
{
    for (auto g : {TemplateGeneration::Gen9, TemplateGeneration::Gen10}) {
        const std::string name = "gen" + generationText(g) + ".lz";
        SCOPED_TRACE(name);
        const auto bytes = readFile(name);
        EXPECT_EQ(CompactTemplate::encode(CompactTemplate::decode(bytes)), bytes);
        EXPECT_EQ(CompactTemplate::encode(golden(g)), bytes);
    }
    const auto card = readFile("gen10.card");
    EXPECT_LE(card.size(), kMaxCardTemplateBytes);
    EXPECT_EQ(CompactTemplate::encodeForCard(goldenForCard()), card);
    EXPECT_GT(CompactTemplate::decode(card).features.minutiae.size(), 80u);

    const auto iso = readFile("gen10.fmr");
    const FeatureSet f = Iso19794Record::importRecord(iso);
    EXPECT_EQ(f.minutiae.size(), 45u);
    EXPECT_EQ(Iso19794Record::exportRecord(f), iso);
}

}  // namespace
}  // namespace lumo::engine
