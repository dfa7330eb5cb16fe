#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "toolkit/pure/pictures.h"

namespace kolvar::toolkit {
namespace {

// The screens a picture is drawn for: below, at and above its own size, whole and fractional
// scales.
constexpr int kPpis[] = {72, 96, 120, 144, 168, 192};

uint64_t Mix(uint64_t h, uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    h ^= (v >> (8 * i)) & 0xFF;
    h *= 1099511628211ull;
  }
  return h;
}

// FNV-1a 64 of width, height and pixels of the picture at every screen of kPpis.
uint64_t PictureHash(const char* name) {
  uint64_t h = 14695981039346656037ull;
  for (int ppi : kPpis) {
    Raster r = DrawPicture(name, ppi);
    h = Mix(h, r.Width());
    h = Mix(h, r.Height());
    for (TColor c : r.Pixels())
      h = Mix(h, c);
  }
  return h;
}

// Recorded from the pictures as they were drawn by code, one function per picture; the
// drawing must stay the same pixel for pixel whatever form it takes.
const std::map<std::string, uint64_t>& Golden() {
  static const std::map<std::string, uint64_t> golden = {
      {"Warning", 0x6264b58c1eb38aeeull},
      {"Error", 0x381c379cedaa8229ull},
      {"Information", 0x35ce8c1043d16e10ull},
      {"Confirmation", 0x9437ab0a2bf6306full},
      {"OK", 0xf8b1a265f00d8019ull},
      {"Cancel", 0xbfe287940215b135ull},
      {"Help", 0x970b35474fe42dd4ull},
      {"Nu", 0x7e15d8a304811f29ull},
      {"Exit", 0xa2162b835e875908ull},
      {"Retry", 0xa165dd3e1fd2c2d2ull},
      {"All", 0x2d78a54453bd5a9eull},
      {"Add", 0x4de55dbe579c2f79ull},
      {"Delete", 0x60a1b70ace445fa1ull},
      {"Jurnal", 0x34f050632de81a9cull},
      {"Vizual", 0x8c92aa37c99eb455ull},
      {"Print", 0x6390ab524a36c112ull},
      {"PrnSetup", 0x41a4cc26cdfc5f2bull},
      {"Edit", 0xa324c507be14f2bdull},
      {"Analitic", 0x91a07eb5e31479a6ull},
      {"Detalii", 0x1a4a563852cb00fbull},
      {"Kolvar", 0x0540363b43a68e67ull},
      {"Save", 0x6f7c6570c64ec764ull},
      {"SaveAs", 0x3e9c92097e24db85ull},
      {"Plus", 0x4de55dbe579c2f79ull},
      {"BUnelte", 0x213192ddcd6cf9beull},
      {"Config", 0x47d1aa8e6c053a61ull},
      {"Stoc", 0xdc4bacad14d4a7c1ull},
      {"Sold", 0x22731c14256a4529ull},
      {"BIntr", 0xed3623ccdd3ccfc5ull},
      {"BSediu", 0xc2c3cfb3de1194adull},
      {"BIes", 0x5d34aa9ce2f551f1ull},
      {"BBani", 0x1314a982947d16fdull},
      {"Mail", 0x57a9bc5fd4904815ull},
      {"BigExit", 0x6489eed87b345eebull},
      {"PlusAdd", 0x4de55dbe579c2f79ull},
      {"PlusBlue", 0x0d692efbfb366fedull},
      {"PlusPorto", 0xbfc2823063f6e2f5ull},
      {"PlusPeach", 0xbf3d6c5a6018b635ull},
      {"PlusSnorkel", 0x043ace005c61d6bdull},
      {"MinusDel", 0x60a1b70ace445fa1ull},
      {"FirstPag", 0x1359bc0c5e3c88ebull},
      {"LastPag", 0xa86492507e2c8bb3ull},
      {"PrevPag", 0x53be396ecd24d007ull},
      {"NextPag", 0xb7225074845c8f27ull},
      {"nPrev", 0xf979b1dff6f88e96ull},
      {"nNext", 0x61e21c882056c222ull},
      {"nFirst", 0xdaead695523b6388ull},
      {"nLast", 0xd4893db374c9d378ull},
      {"Find", 0xa33fbc4077ea80d4ull},
      {"FindNext", 0xc7f24040ee519facull},
      {"Grafic", 0xa5b09bfea1676462ull},
      {"Contract", 0x43ad429379ca67cfull},
      {"Explicatii", 0xc85d1a0f1baf7305ull},
      {"Permis", 0x49c1d524b0100e80ull},
      {"UrmatorBlue", 0xe2f10eb4be550228ull},
      {"Avansat", 0xbb3c2be566d2c4e6ull},
      {"Buget", 0x5a89eef22a481e51ull},
      {"Precedent", 0xea6634e069254defull},
      {"Urmator", 0x8151a1952ba53b13ull},
      {"Interzis", 0xefe3872e2b743c1cull},
      {"Surub", 0xab511c78447510edull},
      {"Linii", 0x7a3bd8533803cf95ull},
      {"Anulat", 0x08caa9738b2b53a9ull},
      {"GrupX", 0xc4fba18af2dbe21dull},
      {"Grup0", 0x22cc45b629cd38f9ull},
      {"crescator", 0x46b8eddcfa776cb2ull},
      {"descrescator", 0x83e6b6e0ceab5442ull},
      {"ToolbVert", 0x995a85f029b9c065ull},
      {"ToolbOriz", 0x17be81afe0fe3336ull},
      {"EscapeImg", 0x184820d93ceb1233ull},
      {"SCLogo", 0xc34d2454479e48b5ull},
      {"Pag", 0xc104b97fb53fe2a7ull},
      {"Neoperat", 0x1083b1af12428f4dull},
      {"Check", 0x1c3a95be1514e69aull},
      {"Radio", 0x4ec90f1af8b615eaull},
      {"ButtonFacePKE", 0xe65820ccad2dd280ull},
      {"ButtonFacePKE120", 0x697f423451bec0cfull},
      {"ButtonFace2", 0x5426d76c42732bfbull},
      {"SpeedFace", 0xa13be79a5a70b57bull},
      {"LookupFace", 0xeeca1b182c0428fdull},
      {"IconFace", 0x23fc207cdd71103aull},
      {"Tab", 0x85fc5f7aaa42e7b1ull},
      {"TabCtrlFace", 0x85fc5f7aaa42e7b1ull},
      {"MenuTabCtrlFace120", 0x27f2b7773dc4620cull},
      {"HatchB", 0x2206aba5d1ff67ecull},
      {"Hartie", 0x5f96b58fe1576aa5ull},
      {"Mijloc", 0xaabb8bd64c7c9450ull},
      {"StopModi", 0x1723d2ad1a39de3cull},
      {"ImageListe", 0xe3d43d2cf7dda375ull},
      {"ImageDate", 0x386f425951b34ceeull},
      {"Constante", 0x47ea0c19d9f983ffull},
      {"PalmaDeMajorca", 0xcbfbf50500c5d051ull},
      {"MainTitleBarSliceE", 0x6b7abc66f8b802fdull},
      {"SiglaProKolvarImg", 0x2bd6c9b7d84c0f12ull},
      {"SiglaProKolvar2Img", 0xab0b6df7f2dcdd8cull},
      {"MainExitImg", 0x6489eed87b345eebull},
      {"SagRight", 0x67d389cf5c2cf80bull},
      {"SagUp", 0xb2858d4388efcb35ull},
      {"SagDown", 0x82291b9f846b70f5ull},
      {"SagLeft", 0xb2bd670b59955bbbull},
      {"SiglaWhiteL", 0x5f955d59321fe915ull},
      {"SiglaBlackL", 0xa5d4ce4738d2b425ull},
      {"SiglaWhiteR", 0x5f955d59321fe915ull},
      {"SiglaBlackR", 0xa5d4ce4738d2b425ull},
  };
  return golden;
}

TEST(Pictures, EveryPictureIsDrawnAsRecordedAtEveryScreen) {
  ASSERT_EQ(HolderPictures().size(), Golden().size());
  for (const PictureLayout& layout : HolderPictures()) {
    auto it = Golden().find(layout.name);
    ASSERT_NE(Golden().end(), it) << layout.name;
    uint64_t h = PictureHash(layout.name);
    EXPECT_EQ(it->second, h) << layout.name << " now 0x" << std::hex << h;
  }
}

}  // namespace
}  // namespace kolvar::toolkit
