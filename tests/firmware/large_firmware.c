/* A firmware image of about 32 KB for the download tests: a little code and a large
   table of constant bytes, so that the S-record file objcopy makes of it has about
   2000 lines. The table's bytes are spread over all 256 values, the control bytes of
   the protocol included. */
#define B(n) (unsigned char)(((n) * 131u + ((n) >> 8) * 17u + 7u) & 0xFFu)
#define B4(n) B(n), B((n) + 1), B((n) + 2), B((n) + 3)
#define B16(n) B4(n), B4((n) + 4), B4((n) + 8), B4((n) + 12)
#define B64(n) B16(n), B16((n) + 16), B16((n) + 32), B16((n) + 48)
#define B256(n) B64(n), B64((n) + 64), B64((n) + 128), B64((n) + 192)
#define B1024(n) B256(n), B256((n) + 256), B256((n) + 512), B256((n) + 768)
#define B4096(n) B1024(n), B1024((n) + 1024), B1024((n) + 2048), B1024((n) + 3072)

const unsigned char calibration_table[] = {
    B4096(0), B4096(4096), B4096(8192), B4096(12288), B4096(16384), B4096(20480), B4096(24576),
    B1024(28672), B1024(29696), B1024(30720),
};

unsigned table_sum(void) {
  unsigned sum = 0;
  for (unsigned i = 0; i < sizeof calibration_table; ++i) sum += calibration_table[i];
  return sum;
}

/* The entry point of the image; nothing runs it. */
void firmware_start(void) {
  volatile unsigned sum = table_sum();
  (void)sum;
}
