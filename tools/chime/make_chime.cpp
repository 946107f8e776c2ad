// Synthesises Solmira's chime: two strikes of a small bell, a fifth apart, as a 16-bit
// mono PCM WAV file of three seconds.
//
//   solmira-make-chime OUT.wav
//
// Each strike is a sum of the partials of a bell (the hum note an octave below, the
// prime, a minor third, a fifth, the nominal an octave above, and two higher ones), each
// dying away at its own rate, with a soft attack of a few milliseconds so that it does not click.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace
{

constexpr int kRate = 22050;
constexpr double kSeconds = 3.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kAttack = 0.012;  // seconds: soft enough not to click

struct Partial {
    double ratio;      // to the strike's prime
    double amplitude;  // at the strike
    double decay;      // seconds to fall to 1/e
};

// The partials of a tuned bell, softened towards the top.
const Partial kBell[] = {
    {0.5, 0.35, 1.6}, {1.0, 1.0, 1.1},   {1.2, 0.45, 0.8}, {1.5, 0.3, 0.7},
    {2.0, 0.5, 0.55}, {2.5, 0.15, 0.35}, {3.0, 0.1, 0.25},
};

struct Strike {
    double at;     // seconds
    double prime;  // Hz
    double gain;
};
const Strike kStrikes[] = {{0.0, 659.26, 1.0}, {0.42, 987.77, 0.7}};  // E5, then B5

void Put(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: solmira-make-chime OUT.wav\n");
        return 2;
    }
    const int count = static_cast<int>(kRate * kSeconds);
    std::vector<double> samples(count, 0.0);
    for (const Strike& strike : kStrikes) {
        for (int i = static_cast<int>(strike.at * kRate); i < count; ++i) {
            const double t = static_cast<double>(i) / kRate - strike.at;
            const double attack = t < kAttack ? 0.5 - 0.5 * std::cos(kPi * t / kAttack) : 1.0;
            double value = 0;
            for (const Partial& p : kBell)
                value += p.amplitude * std::exp(-t / p.decay) * std::sin(2 * kPi * strike.prime * p.ratio * t);
            samples[i] += strike.gain * attack * value;
        }
    }
    // The last quarter second fades to silence, then the whole is scaled to a modest peak.
    double peak = 0;
    for (int i = 0; i < count; ++i) {
        const double left = static_cast<double>(count - i) / kRate;
        samples[i] *= std::min(1.0, left / 0.25);
        peak = std::max(peak, std::abs(samples[i]));
    }
    std::string wav = "RIFF";
    Put(wav, 36 + count * 2, 4);
    wav += "WAVEfmt ";
    Put(wav, 16, 4);
    Put(wav, 1, 2);  // PCM
    Put(wav, 1, 2);  // mono
    Put(wav, kRate, 4);
    Put(wav, kRate * 2, 4);
    Put(wav, 2, 2);
    Put(wav, 16, 2);
    wav += "data";
    Put(wav, count * 2, 4);
    for (double sample : samples)
        Put(wav, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(sample / peak * 0.7 * 32767))), 2);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    if (!out.write(wav.data(), static_cast<std::streamsize>(wav.size()))) {
        std::fprintf(stderr, "solmira-make-chime: cannot write %s\n", argv[1]);
        return 2;
    }
    return 0;
}
