#include "engine/template/TemplateForms.h"

#include <gtest/gtest.h>

#include <random>

#include "SampleFeatures.h"
#include "engine/template/Base64.h"
#include "engine/template/TemplateError.h"

namespace lumo::engine {
namespace {

using test::sampleFeatures;

Template sample() { return Template{TemplateGeneration::Gen10, sampleFeatures(30)}; }

TEST(TemplateForms, EveryFormIsRecognisedAndReadBack)
{
    const Template t = sample();
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        TemplateForm form;
    } cases[] = {
        {"byte form", TemplateForms::toBytes(t), TemplateForm::Bytes},
        {"compact form", TemplateForms::toCompact(t), TemplateForm::Compact},
        {"card form", TemplateForms::toCard(t), TemplateForm::Compact},
        {"ISO record", TemplateForms::toIso19794(t), TemplateForm::Iso19794},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TemplateForms::detect(c.bytes), c.form);
        const Template back = TemplateForms::decode(c.bytes);
        EXPECT_EQ(back.generation, TemplateGeneration::Gen10);
        EXPECT_EQ(back.features.minutiae.size(), t.features.minutiae.size());
        EXPECT_EQ(TemplateForms::decodeText(base64Encode(c.bytes)).features.minutiae.size(),
                  t.features.minutiae.size());
    }
}

TEST(TemplateForms, TextIsBase64OfTheByteForm)
{
    const Template t = sample();
    EXPECT_EQ(base64Decode(TemplateForms::toText(t)), TemplateForms::toBytes(t));
    EXPECT_EQ(TemplateForms::toBytes(TemplateForms::decodeText(TemplateForms::toText(t))),
              TemplateForms::toBytes(t));
}

// Every chain of conversions the engine offers ends in the same minutiae.
TEST(TemplateForms, ConversionChainsAgree)
{
    const Template t = sample();
    const Template viaCard = TemplateForms::decode(TemplateForms::toCard(TemplateForms::decodeText(TemplateForms::toText(t))));
    const Template viaCompact = TemplateForms::decode(TemplateForms::toCompact(t));
    EXPECT_EQ(TemplateForms::toBytes(viaCard), TemplateForms::toBytes(viaCompact));
    const Template viaIso = TemplateForms::decode(TemplateForms::toIso19794(viaCompact));
    EXPECT_EQ(TemplateForms::toCompact(viaIso), TemplateForms::toCompact(viaCompact));
}

TEST(TemplateForms, MalformedInputIsRejectedWithAMessage)
{
    const struct {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"empty text", "", "Template data is damaged: the data is empty."},
        {"blank text", "  \r\n", "Template data is damaged: the data is empty."},
        {"not Base64", "hello-world!", "Template text is not valid Base64: an unexpected character."},
        {"Base64 of plain text", base64Encode(std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'}),
         "Template data is damaged: it is not a template."},
        {"cut text", TemplateForms::toText(sample()).substr(0, 40), "Template data is damaged: its length does not match."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            TemplateForms::decodeText(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const TemplateError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

// Random text, and Base64 of random bytes behind each form's magic, is rejected with a
// TemplateError and nothing else (no crash, no other exception, no read outside the data).
TEST(TemplateForms, RandomInputOnlyEverGivesTemplateError)
{
    std::mt19937 rng(3);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/= \n";
    const std::vector<std::vector<std::uint8_t>> magics = {{'L', 'F', 'P', 'T', 1, 10}, {'L', 'Z', 1, 10}, {'F', 'M', 'R', 0, ' ', '2', '0', 0}};
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        if (i % 2 == 0) {
            const std::size_t n = rng() % 64;
            for (std::size_t k = 0; k < n; ++k) text += alphabet[rng() % alphabet.size()];
        } else {
            std::vector<std::uint8_t> bytes = magics[static_cast<std::size_t>(i / 2) % magics.size()];
            const std::size_t n = rng() % 64;
            for (std::size_t k = 0; k < n; ++k) bytes.push_back(static_cast<std::uint8_t>(rng()));
            text = base64Encode(bytes);
        }
        try {
            TemplateForms::decodeText(text);
        } catch (const TemplateError&) {
        }
    }
}

}  // namespace
}  // namespace lumo::engine
