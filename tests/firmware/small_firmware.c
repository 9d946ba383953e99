/* A small firmware image for the download tests: a few functions and a short table,
   a few dozen S-records once objcopy has converted it. */
static const unsigned short pulse_steps[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000};

/* 256 weights of a multiplicative hash, a table as firmware carries them */
#define W(n) (unsigned short)(((n) * 40503u) & 0xFFFFu)
#define W4(n) W(n), W((n) + 1), W((n) + 2), W((n) + 3)
#define W16(n) W4(n), W4((n) + 4), W4((n) + 8), W4((n) + 12)
#define W64(n) W16(n), W16((n) + 16), W16((n) + 32), W16((n) + 48)
static const unsigned short weights[] = {W64(0), W64(64), W64(128), W64(192)};

unsigned litres_from_pulses(unsigned pulses, unsigned step_index) {
  const unsigned count = sizeof pulse_steps / sizeof pulse_steps[0];
  return pulses / pulse_steps[step_index % count];
}

unsigned checksum(const unsigned char* bytes, unsigned length) {
  unsigned sum = 0;
  while (length--) sum = (sum << 1 | sum >> 15) + weights[*bytes++];
  return sum & 0xFFFF;
}

/* The entry point of the image; nothing runs it. */
void firmware_start(void) {
  volatile unsigned litres = litres_from_pulses(123456, 3);
  volatile unsigned sum = checksum((const unsigned char*)pulse_steps, sizeof pulse_steps);
  (void)litres;
  (void)sum;
}
