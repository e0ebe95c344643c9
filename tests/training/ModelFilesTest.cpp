// The files a model package is made of besides the parameters: the description, the artwork
// and the recordings it is trained from.

#include "tools/training/Artwork.h"
#include "tools/training/ModelDescription.h"
#include "tools/training/TrainingError.h"
#include "tools/training/WavFile.h"

#include "TrainingTestData.h"

#include <gtest/gtest.h>
#include <picojson.h>
#include <png.h>

#include <cmath>
#include <fstream>

using training::ModelDescription;

TEST(ModelDescription, JsonParsesBackWithEveryField)
{
    ModelDescription d;
    d.version = 2;
    d.targetIdentifier = "tavilo.mira";
    d.narratorIdentifier = "female";
    d.texts = {"Mira \"the quiet\"", "Mira", "Female narrator", "Line one\nline two\t\\ end"};
    d.localised = {{"ja", {"ミラ", "ミラ", "女性話者", ""}}, {"zh", {}}};
    d.pitch = 1.19;
    const std::string json = d.toJson();

    picojson::value root;
    ASSERT_EQ(picojson::parse(root, json), "");
    ASSERT_TRUE(root.is<picojson::object>());
    const auto& o = root.get<picojson::object>();
    EXPECT_EQ(o.at("version").get<double>(), 2.0);
    EXPECT_EQ(o.at("formatVersion").get<double>(), 3.0);
    EXPECT_EQ(o.at("pitch").get<double>(), 1.19);
    EXPECT_EQ(o.at("volume").get<double>(), 1.0);
    EXPECT_EQ(o.at("targetIdentifier").get<std::string>(), "tavilo.mira");
    EXPECT_EQ(o.at("title").get<std::string>(), d.texts.title);
    EXPECT_EQ(o.at("description").get<std::string>(), d.texts.description);
    EXPECT_EQ(o.at("ja").get<picojson::object>().at("narrator").get<std::string>(), "女性話者");
    EXPECT_EQ(o.count("zh"), 0u); // no texts, no object
    EXPECT_NE(json.find("\"pitch\": 1.19,"), std::string::npos);
    EXPECT_NE(json.find("\"volume\": 1.0\n"), std::string::npos);
}

TEST(ModelDescription, RefusesTextThatIsNotUtf8)
{
    ModelDescription d;
    d.texts.title = "bad \xC3(";
    EXPECT_THROW(d.toJson(), training::TrainingError);
    d.texts.title = "surrogate \xED\xA0\x80";
    EXPECT_THROW(d.toJson(), training::TrainingError);
}

namespace
{

/** Decodes PNG bytes with libpng into 8-bit RGB. */
bool decodePng(const std::vector<std::uint8_t>& bytes, training::RgbImage& out)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    image.format = PNG_FORMAT_RGB;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) != 0;
}

} // namespace

// The encoder's output must be a PNG that another decoder reads back pixel for pixel.
TEST(Artwork, PortraitEncodesToAPngThatDecodesToTheSamePixels)
{
    const auto portrait = training::drawPortrait(256, "tavilo.mira");
    const auto png = training::encodePng(portrait);
    training::RgbImage decoded;
    ASSERT_TRUE(decodePng(png, decoded));
    EXPECT_EQ(decoded.width, 256);
    EXPECT_EQ(decoded.height, 256);
    EXPECT_EQ(decoded.pixels, portrait.pixels);
    int w = 0, h = 0;
    ASSERT_TRUE(training::readPngSize(png, w, h));
    EXPECT_EQ(w, 256);
    EXPECT_LT(png.size(), 40000u); // small enough to ship in every package
    EXPECT_EQ(training::encodePng(training::drawPortrait(256, "tavilo.mira")), png);
    EXPECT_NE(training::drawPortrait(256, "tavilo.tobin").pixels, portrait.pixels);
    EXPECT_FALSE(training::readPngSize({'G', 'I', 'F', '8'}, w, h));
}

TEST(WavFile, WrittenRecordingReadsBack)
{
    training_test::TemporaryFolder folder("wav");
    training::Recording r{16000.0, {0.0, 0.5, -0.5, 0.999, -1.0, 0.25}};
    training::writeWavFile(folder.path("a.wav"), r);
    const auto back = training::readWavFile(folder.path("a.wav"));
    EXPECT_EQ(back.sampleRate, 16000.0);
    ASSERT_EQ(back.samples.size(), r.samples.size());
    for (std::size_t i = 0; i < r.samples.size(); ++i)
        EXPECT_NEAR(back.samples[i], r.samples[i], 1.0 / 32768);
}

// A 24-bit stereo file with an extra chunk before the data: channels are averaged.
TEST(WavFile, ReadsStereo24BitAndSkipsUnknownChunks)
{
    std::vector<unsigned char> b = {'R', 'I', 'F',  'F', 0, 0,   0,    0,   'W', 'A',  'V', 'E',  'f',
                                    'm', 't', ' ',  16,  0, 0,   0,    1,   0,   2,    0,   0x44, 0xAC,
                                    0,   0,   0,    0,   0, 0,   6,    0,   24,  0,    'L', 'I',  'S',
                                    'T', 3,   0,    0,   0, 'a', 'b',  'c', 0,   'd',  'a', 't',  'a',
                                    12,  0,   0,    0,   0, 0,   0x40, 0,   0,   0x20, // 0.5 and 0.25
                                    0,   0,   0xC0, 0,   0, 0xC0};                     // -0.5 and -0.5
    training_test::TemporaryFolder folder("wav24");
    std::ofstream(folder.path("s.wav"), std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    const auto r = training::readWavFile(folder.path("s.wav"));
    EXPECT_EQ(r.sampleRate, 44100.0);
    ASSERT_EQ(r.samples.size(), 2u);
    EXPECT_DOUBLE_EQ(r.samples[0], 0.375);
    EXPECT_DOUBLE_EQ(r.samples[1], -0.5);
}

TEST(WavFile, UnreadableFilesNameThePathAndTheProblem)
{
    training_test::TemporaryFolder folder("wavbad");
    std::ofstream(folder.path("text.wav")) << "not a recording";
    for (const std::string& path : {folder.path("missing.wav"), folder.path("text.wav")})
    {
        try
        {
            training::readWavFile(path);
            ADD_FAILURE() << path << " was read";
        }
        catch (const training::TrainingError& e)
        {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}
