// Seeding the film's generator from the machine's clocks.
#pragma once

// Seeds RandSeed from the low 32 bits of the platform's performance counter,
// or from its tick count when the counter cannot be read.
void Randomize();
