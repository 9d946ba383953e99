// The number rules of the configuration editor and its step calculator, which need no
// window: the ranges of the configuration's numbers, the first and third numbers counted
// in thirds, and the calculator's quotient.
#pragma once

// The three numbers that 'r' reads and 'R' writes, first, second and third: the ranges
// the device takes, which the editor checks and a restore keeps to. The first and the
// third counted in thirds run to 17, which stands for 50.
const unsigned kValue1Min = 2, kValue1Max = 50;
const unsigned kValue2Min = 10, kValue2Max = 150;
const unsigned kValue3Min = 0, kValue3Max = 50;
const unsigned kThirdsMax = 17;

// The nearest whole number to v / 3 (a half is never reached): 0, 1 -> 0; 2, 3, 4 -> 1.
unsigned ToThirds(unsigned v);
// A count of thirds back to the number: 3 * n, but 50 from 17 on (the largest number the
// device takes is 50, not 51).
unsigned FromThirds(unsigned n);

// The calculator: (high reading - low reading) / step, each text read as atol reads a
// number, in unsigned 32-bit arithmetic with the remainder dropped (a high reading below
// the low one wraps round to a large result). false, and nothing divided, when the step
// reads as 0.
bool CalculateStep(const char* pszHigh, const char* pszLow, const char* pszStep, unsigned& nResult);

// A calculator input: a whole decimal number, blanks around it allowed. false for
// anything else ("", "abc", "12ab"), which is no reading to calculate with.
bool ReadCalculatorInput(const char* pszText, unsigned& nValue);
