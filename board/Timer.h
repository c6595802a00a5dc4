// The interval timer: counts executed instructions down from 8192 and raises the
// level-1 request each time the count runs out; any access to its page acknowledges.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int32_t kTimerReload = 8192;

// Instructions left until the next tick.
extern int32_t TimerCounter;
// Level-1 interrupt request.
extern std::atomic<uint8_t> TimerIrq;

uint32_t TimerAckReadByte(uint32_t address);
uint32_t TimerAckReadWord(uint32_t address);
uint32_t TimerAckReadLong(uint32_t address);
void TimerAckWriteByte(uint32_t address, uint32_t value);
void TimerAckWriteWord(uint32_t address, uint32_t value);
void TimerAckWriteLong(uint32_t address, uint32_t value);

void TimerMap();
// The slice service: counts the slice's instructions. The new request is seen when the
// interrupt level is next recomputed, at the latest when the next slice starts.
void TimerTick(int32_t count);
