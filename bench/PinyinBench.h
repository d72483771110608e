#pragma once

class Database;

// The pinyin keys of every contact, built from a cold reading table, and matching keywords
// against them in memory.
namespace PinyinBench {

// False when the contacts could not be read or no key matched.
bool run(Database &database);

} // namespace PinyinBench
