#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// The home page's template (home.html of this folder, compiled in).
std::string_view HomePageTemplate();
/// The Transactions report's parameters page (transactions_parameters.html, compiled in).
std::string_view ParametersPageTemplate();
/// The chart reports' parameters page (chart_parameters.html, compiled in).
std::string_view ChartParametersPageTemplate();

/// A placeholder such as "%accounts%" and the text that takes its place.
using TemplateValue = std::pair<std::string_view, std::string>;

/// The template with every occurrence of each placeholder replaced, in one pass over the
/// template: inserted texts are never searched again, so a database text that happens to
/// read "%quotes%" stays as it is.
std::string FillTemplate(std::string_view text, const std::vector<TemplateValue>& values);
