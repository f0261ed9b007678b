// The database classes a form file may hold, registered for the form
// designer: tables, data sources, fields of every type (with their lookup
// settings) and the data-aware controls.
#pragma once

void RegisterDBComponentClasses();
