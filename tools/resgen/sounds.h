// Pelkrin's four interface sounds, synthesised from a few enveloped sine voices.
//
// Every voice rises from silence with a raised-cosine attack and returns to exactly zero with a
// raised-cosine release, so no sound starts or stops with a click of its own.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "formats.h"

namespace pelkrin::resgen {

struct Voice {
  float start = 0;     // seconds from the beginning of the sound
  float length = 0;    // seconds
  float freq = 440;    // Hz at the start
  float end_freq = 0;  // Hz at the end (exponential glide); 0 keeps the pitch
  float amplitude = 0.5f;
  float attack = 0.003f;  // seconds of fade-in
  float decay = 1.0f;     // time constant of the exponential decay after the attack, seconds
  float release = 0.01f;  // seconds of fade-out at the end
  float overtone = 0;     // level of the second harmonic relative to the fundamental
  float noise = 0;        // level of soft (low-passed) noise mixed under the tone
};

inline std::vector<float> Silence(float seconds) {
  return std::vector<float>(static_cast<std::size_t>(std::lround(seconds * kSampleRate)), 0.0f);
}

// The raised-cosine ramp 0 -> 1 over x in 0..1.
inline float Ramp(float x) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  return 0.5f - 0.5f * std::cos(std::numbers::pi_v<float> * x);
}

inline void AddVoice(std::vector<float>& out, const Voice& v) {
  constexpr float kTwoPi = 2 * std::numbers::pi_v<float>;
  const auto first = static_cast<std::size_t>(std::lround(v.start * kSampleRate));
  const auto count = static_cast<std::size_t>(std::lround(v.length * kSampleRate));
  const float end_freq = v.end_freq > 0 ? v.end_freq : v.freq;
  double phase = 0;  // in turns; double so long glides do not drift
  std::uint32_t seed = 0x5EED1234u;
  float smoothed = 0;
  for (std::size_t i = 0; i < count && first + i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    // The last sample sits exactly on the end of the release, so the voice ends on zero.
    const float to_end = static_cast<float>(count - 1 - i) / kSampleRate;
    const float envelope = Ramp(t / v.attack) * std::exp(-std::max(0.0f, t - v.attack) / v.decay) *
                           Ramp(to_end / v.release);
    const float freq = v.freq * std::pow(end_freq / v.freq, t / v.length);
    const auto angle = static_cast<float>(kTwoPi * phase);
    float s = std::sin(angle) + v.overtone * std::sin(2 * angle);
    if (v.noise > 0) {
      seed = seed * 1664525u + 1013904223u;  // a fixed sequence, so every build sounds the same
      const float white = static_cast<float>(seed >> 8) / static_cast<float>(1u << 24) * 2 - 1;
      smoothed += 0.35f * (white - smoothed);
      s += v.noise * smoothed;
    }
    out[first + i] += v.amplitude * envelope * s;
    phase += static_cast<double>(freq) / kSampleRate;
    phase -= std::floor(phase);
  }
}

// A short soft click (30 ms): a quick falling tick with a breath of noise, like a light switch.
inline std::vector<float> ClickSound() {
  std::vector<float> out = Silence(0.030f);
  AddVoice(out, {.start = 0,
                 .length = 0.030f,
                 .freq = 1900,
                 .end_freq = 1200,
                 .amplitude = 0.42f,
                 .attack = 0.0008f,
                 .decay = 0.0045f,
                 .release = 0.008f,
                 .overtone = 0.15f,
                 .noise = 0.5f});
  AddVoice(out, {.start = 0,
                 .length = 0.030f,
                 .freq = 620,
                 .end_freq = 540,
                 .amplitude = 0.2f,
                 .attack = 0.0015f,
                 .decay = 0.008f,
                 .release = 0.01f});
  return out;
}

// A pleasant rising blip of three notes of a major chord (150 ms), played when a popup is pelked.
inline std::vector<float> BarbleSound() {
  std::vector<float> out = Silence(0.150f);
  const float notes[] = {880.0f, 1108.73f, 1318.51f};  // A5, C#6, E6
  for (int i = 0; i < 3; ++i) {
    const float start = 0.045f * static_cast<float>(i);
    AddVoice(out, {.start = start,
                   .length = 0.150f - start,
                   .freq = notes[i],
                   .end_freq = 0,
                   .amplitude = 0.30f,
                   .attack = 0.004f,
                   .decay = 0.030f,
                   .release = 0.020f,
                   .overtone = 0.22f});
  }
  return out;
}

// A light tick for menus (60 ms): a short, falling, rounded tone.
inline std::vector<float> MenuSound() {
  std::vector<float> out = Silence(0.060f);
  AddVoice(out, {.start = 0,
                 .length = 0.060f,
                 .freq = 1500,
                 .end_freq = 720,
                 .amplitude = 0.45f,
                 .attack = 0.0012f,
                 .decay = 0.012f,
                 .release = 0.012f,
                 .overtone = 0.1f});
  return out;
}

// A bubbly pop (120 ms): like a bubble closing, the pitch sweeps upwards as the sound dies away.
inline std::vector<float> PopSound() {
  std::vector<float> out = Silence(0.120f);
  AddVoice(out, {.start = 0,
                 .length = 0.120f,
                 .freq = 360,
                 .end_freq = 1250,
                 .amplitude = 0.62f,
                 .attack = 0.003f,
                 .decay = 0.035f,
                 .release = 0.020f,
                 .overtone = 0.18f});
  AddVoice(out, {.start = 0.012f,
                 .length = 0.070f,
                 .freq = 700,
                 .end_freq = 1900,
                 .amplitude = 0.16f,
                 .attack = 0.004f,
                 .decay = 0.02f,
                 .release = 0.015f});
  return out;
}

}  // namespace pelkrin::resgen
