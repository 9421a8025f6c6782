// Decode time of the embedded texture, and decode plus upload into an off-screen
// context. Prints figures; never judges them.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include "platform/headless/headless_offscreen.h"
#include "platform/msgbox.h"
#include "platform/resources.h"
#include "scene/opaquetexels.h"
#include "scene/quadricmesh.h"
#include "scene/texture.h"
#include "scene/tga.h"

namespace {

void BM_DecodeTexture107(benchmark::State& state) {
  plat::ResourceData res;
  if (!plat::FindResource("TGA", 107, &res)) {
    state.SkipWithError("resource 107 missing");
    return;
  }
  TextureImage slot;
  for (auto _ : state) {
    bool ok = ReadTgaImage(slot, res.data, res.size);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(slot.pixels);
    FreeTexturePixels(slot);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1024 * 1024 * 4);
  state.counters["resource_bytes"] = static_cast<double>(res.size);
}
BENCHMARK(BM_DecodeTexture107)->Unit(benchmark::kMillisecond);

void BM_LoadTexture107(benchmark::State& state) {
  if (!plat::headless::MakeOffscreenContext(64, 64)) {
    state.SkipWithError("no off-screen context");
    return;
  }
  for (auto _ : state) {
    bool ok = LoadTextureResource(107, 0);
    glFinish();
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    glDeleteTextures(1, &g_TextureSlots[0].texture);
    state.ResumeTiming();
  }
  plat::headless::DestroyOffscreenContext();
}
BENCHMARK(BM_LoadTexture107)->Unit(benchmark::kMillisecond);

// What the meshes need of the image: its alpha as one bit a texel, then the meshes
// of every size, each triangle tested against it.
void BM_OpaqueTexelsAndMeshes(benchmark::State& state) {
  plat::ResourceData res;
  TextureImage slot;
  if (!plat::FindResource("TGA", 107, &res) || !ReadTgaImage(slot, res.data, res.size)) {
    state.SkipWithError("resource 107 missing");
    return;
  }
  for (auto _ : state) {
    RecordOpaqueTexels(0, slot, GL_REPEAT, GL_REPEAT);
    if (state.range(0)) BuildQuadricMeshes();
  }
  FreeTexturePixels(slot);
}
BENCHMARK(BM_OpaqueTexelsAndMeshes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
