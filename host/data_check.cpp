#include "host/data_check.h"

#include <filesystem>
#include <memory>

#include "car/solvi_skin.h"
#include "car/solvi_sound_set.h"
#include "car/solvi_tyres.h"
#include "chassis/curve.h"
#include "chassis/tyre.h"
#include "graphics/ase_loader.h"
#include "graphics/engine.h"
#include "graphics/image.h"
#include "graphics/texture_resolver.h"
#include "host/inspect_model.h"
#include "host/quiet_stream.h"
#include "services/setup_data.h"
#include "sound/wav_reader.h"

namespace fs = std::filesystem;

namespace {

const char* const kSetupFile = "cars/solvi/setup/default.vqs";
const char* const kCoastCurveFile = "cars/solvi/engine/coast.vqcv";
const char* const kTextureFolder = "cars/solvi/texture/";
const char* const kShadowTexture = "cars/solvi/texture/shadow.tga";
const char* const kBodyModel = "cars/solvi/solvi.ase";
const char* const kCockpitModel = "cars/solvi/solvi_int.ase";
const char* const kSoundDescription = "cars/solvi/sfx/sound.ini";
// The car's waves, and the host's road noise.
const char* const kWaves[] = {"cars/solvi/sfx/engine.wav", "sfx/hit.wav", "sfx/bottom.wav", "sfx/road.wav"};

class Checker {
public:
    Checker(const std::string& root, DataCheckResult& result) : root_(root + "/"), result_(result) {}

    // Records the file as checked and the problem, when there is one.
    void note(const std::string& file, const std::string& problem)
    {
        result_.checked.push_back(file);
        if (!problem.empty()) result_.problems.push_back(problem);
    }
    std::string at(const std::string& file) const { return root_ + file; }
    // The root prefix is left out of the car's own messages: they name the
    // file as the car knows it.
    std::string relative(std::string text) const
    {
        for (std::size_t at; (at = text.find(root_)) != std::string::npos;) text.erase(at, root_.size());
        return text;
    }

    void image(const std::string& file)
    {
        std::string problem;
        std::error_code ec;
        if (!fs::is_regular_file(at(file), ec)) {
            problem = file + " is missing";
        } else {
            RImage picture;
            QuietStream quiet(stdout);
            if (!picture.loadFile(at(file))) problem = file + " is not a picture the car can read";
        }
        note(file, problem);
    }

    // The model and the textures it names, looked up in the folders in
    // order as the car does.
    void model(const std::string& file, const std::vector<std::string>& folders)
    {
        std::error_code ec;
        if (!fs::is_regular_file(at(file), ec)) return note(file, file + " is missing");
        std::vector<std::string> names;
        {
            QuietStream quiet(stdout);
            REngine engine;
            RecordingTextureResolver resolver;
            RAseLoader loader(&engine);
            loader.setTexturePath("");
            loader.setTextureResolver(&resolver);
            if (!loader.read(at(file))) return note(file, file + " is not a model the car can read");
            names = resolver.requested;
        }
        note(file, "");
        for (const std::string& name : names) {
            std::string found;
            for (const std::string& folder : folders)
                if (found.empty() && fs::is_regular_file(at(folder + name), ec)) found = folder + name;
            if (found.empty()) {
                std::string where;
                for (const std::string& folder : folders) where += (where.empty() ? "" : " or ") + folder;
                note(name, "texture " + name + " of " + file + " is in none of " + where);
            } else {
                image(found);
            }
        }
    }

private:
    std::string root_;
    DataCheckResult& result_;
};

}  // namespace

DataCheckResult checkCarData(const std::string& root, const DataCheckSettings& settings)
{
    DataCheckResult result;
    Checker c(root, result);
    for (const char* tyre : {kSolviFrontTyreFile, kSolviRearTyreFile})
        c.note(tyre, c.relative(CTyre::checkFile(c.at(tyre))));
    c.note(kSetupFile, c.relative(CSetupData::checkFile(c.at(kSetupFile))));
    if (settings.engineCurve) c.note(kCoastCurveFile, c.relative(CCurve::checkFile(c.at(kCoastCurveFile))));

    const SolviSkinChoice skin = readSolviSkin(root);
    c.note(kSolviCfgFile, skin.problem);
    if (skin.problem.empty()) c.model(kBodyModel, {kSolviSkinsFolder + skin.name + "/", kTextureFolder});
    c.model(kCockpitModel, {kTextureFolder});
    c.image(kShadowTexture);

    if (settings.sound) {
        c.note(kSoundDescription, c.relative(CSolviSoundSet::checkSoundDescription(c.at(kSoundDescription))));
        for (const char* wave : kWaves) {
            WaveData data;
            std::string why;
            c.note(wave, readWavFile(c.at(wave), data, &why) ? "" : std::string(wave) + ": " + why);
        }
    }
    return result;
}
