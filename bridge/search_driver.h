#pragma once
// Carries one search from "Start searching" to the filled results list,
// behind the progress window. GUI thread only.

namespace zandrel {

// Runs the search over the rows of LocationsList with the options the main
// window holds; ResultsList must be empty. Returns when the search has ended,
// was stopped, or could not start; a step whose thread cannot be started ends
// it as Stop does.
void runSearch();

}  // namespace zandrel
