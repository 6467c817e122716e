#include "app/job_plan.h"

#include <gtest/gtest.h>

#include "app/job_run.h"
#include "tiling/tile_manifest.h"

namespace orvanta {
namespace {

using Texts = std::vector<std::string>;

// A folder of two 2048 images, one a GeoTIFF whose world file the listing program makes.
JobSettings folderJob() {
    JobSettings settings;
    settings.project.projectName = "Area";
    settings.project.tilesFolder = "/in";
    settings.project.outputFolder = "/out";
    return settings;
}

JobFacts folderFacts() {
    return {{{"/in",
              SizeClass::S2048,
              {{"/in/a.jpg", "a", 2048, 2048, "/in/a.jgw", "10:1"},
               {"/in/b.tif", "b", 2048, 2048, "/out/b.tfw", "10:2"}}}},
            std::nullopt,
            {}};
}

JobPlan planOf(const JobSettings& settings, const JobFacts& facts) {
    auto planned = planJob(settings, facts);
    if (const PlanRefusal* refusal = std::get_if<PlanRefusal>(&planned))
        ADD_FAILURE() << refusal->message;
    return std::get<JobPlan>(planned);
}

TEST(PlanJob, FolderRunCutsIntoTheOutputFolderAndLinksExactlyTheFormatItCuts) {
    JobSettings settings = folderJob();
    JobPlan plan = planOf(settings, folderFacts());
    ASSERT_EQ(plan.roots.size(), 1u);
    const RootPlan& root = plan.roots[0];
    EXPECT_EQ(root.kml.rootFile, "/out/Area.kml");
    EXPECT_EQ(root.split.root, "/out");
    EXPECT_EQ(root.split.images,
              (std::vector<SourceImage>{{"/in/a.jpg", "a"}, {"/in/b.tif", "b"}}));
    EXPECT_EQ(root.kml.sources[1].worldFilePath, "/out/b.tfw");
    EXPECT_EQ(root.kml.sources[0].pictureFormat, "JPG");
    EXPECT_EQ(root.ownNames, (Texts{"a", "b"}));
    EXPECT_EQ(plan.inputs, (Texts{"/in/a.jpg", "/in/b.tif"}));
    // A colour made transparent gives PNG tiles; a regeneration links what the tree holds.
    settings.project.transparent = true;
    EXPECT_EQ(planOf(settings, folderFacts()).roots[0].kml.sources[0].pictureFormat, "PNG");
    settings.kmlOnly = true;
    plan = planOf(settings, folderFacts());
    EXPECT_EQ(plan.roots[0].kml.sources[0].pictureFormat, "");
    EXPECT_TRUE(plan.roots[0].recipes.empty());
}

// What a resumed run compares: the recipe of an image changes with its source, its world file
// and every setting that shapes its files, and with nothing else.
TEST(PlanJob, RecipesChangeWithEverythingThatShapesTheFiles) {
    const auto recipe = [](const JobSettings& settings, const JobFacts& facts) {
        return planOf(settings, facts).roots[0].recipes[0];
    };
    const std::string base = recipe(folderJob(), folderFacts());
    JobSettings same = folderJob();
    same.project.drawOrder = DisplayOrder::High;
    same.project.projectName = "Other";
    same.jobs = 8;
    EXPECT_EQ(recipe(same, folderFacts()), base);
    std::vector<std::pair<const char*, std::function<void(JobSettings&, JobFacts&)>>> changes = {
        {"quality", [](JobSettings& s, JobFacts&) { s.project.jpegQuality = 75; }},
        {"format", [](JobSettings& s, JobFacts&) { s.project.outputFormat = PictureFormat::Png; }},
        {"transparency",
         [](JobSettings& s, JobFacts&) {
             s.project.transparent = true;
             s.project.transparentColour = {1, 2, 3};
         }},
        {"engine", [](JobSettings& s, JobFacts&) { s.engine = PixelEngine::Magick; }},
        {"source", [](JobSettings&, JobFacts& f) { f.inputs[0].images[0].identity = "10:9"; }},
    };
    for (auto& [what, change] : changes) {
        JobSettings settings = folderJob();
        JobFacts facts = folderFacts();
        change(settings, facts);
        EXPECT_NE(recipe(settings, facts), base) << what;
    }
    EXPECT_EQ(recipePictureFormat(base), "JPG");
}

TEST(PlanJob, BatchRootsLieUnderTheOutputFolderAndTheTopFileInTheKmlFolder) {
    JobSettings settings = folderJob();
    settings.project.multipleFolders = true;
    settings.project.batchFolders = {"/in/a", "/in/b", "/in/c"};
    settings.project.kmlFolder = "/top";
    settings.shard = BatchShard{1, 2};
    JobFacts facts = folderFacts();
    facts.inputs = {facts.inputs[0], facts.inputs[0], facts.inputs[0]};
    JobPlan plan = planOf(settings, facts);
    ASSERT_EQ(plan.roots.size(), 1u);  // the shard holds folder 1 only
    EXPECT_EQ(plan.roots[0].kml.rootFile, "/out/b/Area1.kml");
    EXPECT_EQ(plan.roots[0].position, 1u);
    ASSERT_TRUE(plan.top);
    EXPECT_EQ(plan.top->roots, (Texts{"/out/a", "/out/b", "/out/c"}));
    EXPECT_EQ(plan.top->shardPath, "/top/Area.shard-1-of-2.txt");
    settings.project.batchFolders = {"/in/x/a", "/in/y/a"};
    const auto clash = planJob(settings, facts);
    ASSERT_TRUE(std::holds_alternative<PlanRefusal>(clash));
    EXPECT_EQ(std::get<PlanRefusal>(clash).message,
              "Two folders of the batch would write their tiles into /out/a. Rename one of "
              "them, or choose no output folder.");
}

// A pair: the high resolution image first and drawn over the low one, each its own root.
TEST(PlanJob, PairGivesTwoRootsHighThenLow) {
    JobSettings settings;
    settings.project.multiResolution = true;
    settings.project.openWhenDone = true;
    const PlacedImage city{"/hi/city.jpg", "city", 1024, 1024, "/hi/city.jgw", ""};
    const PlacedImage region{"/lo/region.jpg", "region", 2048, 2048, "/lo/region.jgw", ""};
    JobFacts facts{{{"/hi/city.jpg", SizeClass::S1024, {city}},
                    {"/lo/region.jpg", SizeClass::S2048, {region}}},
                   std::nullopt,
                   {}};
    const JobPlan plan = planOf(settings, facts);
    ASSERT_EQ(plan.roots.size(), 2u);
    EXPECT_EQ(plan.roots[0].kml.rootFile, "/hi/city.kml");
    EXPECT_EQ(plan.roots[0].kml.order, DisplayOrder::High);
    EXPECT_EQ(plan.roots[1].kml.order, DisplayOrder::Low);
    EXPECT_EQ(plan.roots[1].split.sizeClass, SizeClass::S2048);
    EXPECT_TRUE(plan.openTopFilesWhenDone && !plan.roots[0].openWhenDone);
}

// A large image: its pieces, padded ones named so that their tiles keep the padding
// transparent, then the 4096 run over them; a name that is not a plain file name is refused.
TEST(PlanJob, LargeImageIsSlicedThenTiledAndBadNamesAreRefused) {
    JobSettings settings;
    settings.project.projectImage = "/img/big.jpg";
    settings.project.imageFolder = "/img";
    settings.project.imageName = "big";
    settings.largeImage = true;
    settings.large.ramLimitMb = 3072;
    JobFacts facts;
    facts.large = LargeFacts{{"/img/big.jpg", "big", 4500, 1000, "/img/big.jgw", "1:x"},
                             parseWorldFile("0.0001\n0\n0\n-0.0001\n10\n51\n"),
                             false};
    JobPlan plan = planOf(settings, facts);
    ASSERT_TRUE(plan.slice);
    EXPECT_EQ(plan.slice->folder, "/img/bigL");
    EXPECT_EQ(plan.slice->pieces.pieces.size(), 2u);
    ASSERT_EQ(plan.roots.size(), 1u);
    EXPECT_EQ(plan.roots[0].kml.rootFile, "/img/bigL/Default.kml");
    EXPECT_EQ(plan.roots[0].ownNames, Texts{"big"});
    EXPECT_EQ(plan.roots[0].kml.sources[1].pictureFormat, "PNG");  // the padded piece
    EXPECT_EQ(plan.roots[0].kml.sources[1].worldFilePath, "/img/bigL/big_1.jgw");
    settings.large.ramLimitMb = 10;
    EXPECT_TRUE(std::holds_alternative<PlanRefusal>(planJob(settings, facts)));
    for (const char* name : {"../../escaped", "", "..", "a/b"}) {
        settings.project.projectName = name;
        EXPECT_TRUE(std::holds_alternative<PlanRefusal>(planJob(settings, facts))) << name;
    }
}

TEST(OutputPaths, InputsAndFilesOfAnotherKindAreRefused) {
    const Texts inputs = {"/in/a.jpg"};
    const auto refusal = [&](const std::string& path, bool folder, PathKind existing,
                             bool sameKind = true) {
        return outputRefusal(path, folder ? "tile folder" : "KMZ archive", folder, existing,
                             sameKind, inputs);
    };
    EXPECT_EQ(refusal("/in/a.jpg", false, PathKind::File),
              "The KMZ archive /in/a.jpg is an image this run reads. Nothing was written.");
    EXPECT_EQ(refusal("/x.kmz", false, PathKind::Folder),
              "The KMZ archive /x.kmz is a folder. Nothing was written.");
    EXPECT_EQ(refusal("/x.kmz", false, PathKind::File, false),
              "The KMZ archive /x.kmz exists and is no KMZ archive: it is not replaced. Nothing "
              "was written.");
    EXPECT_EQ(refusal("/t", true, PathKind::File),
              "The tile folder /t is a file, not a folder. Nothing was written.");
    EXPECT_EQ(refusal("/x.kmz", false, PathKind::File), "");
    EXPECT_EQ(refusal("/t", true, PathKind::Folder), "");
}

}  // namespace
}  // namespace orvanta
