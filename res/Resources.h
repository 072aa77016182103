#pragma once
namespace res {
// Makes the images compiled into the tool available; safe to call often.
void InitResources();
}  // namespace res
