// One line of the score table: the median of each category over the runs of one page, and
// the scored audits below 0.9 in the run of median performance (what holds a score down).
// usage: node summary.mjs THEME PAGE REPORT.json...

import { readFileSync } from 'node:fs';

const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];
const [theme, page, ...files] = process.argv.slice(2);
const reports = files.map((file) => JSON.parse(readFileSync(file, 'utf8')));
const score = (report, name) => Math.round(report.categories[name].score * 100);
const median = (values) => values.sort((a, b) => a - b)[Math.floor((values.length - 1) / 2)];

const scores = CATEGORIES.map((name) => median(reports.map((report) => score(report, name))));
const typical = reports.find((report) => score(report, 'performance') === scores[0]);
const below = Object.values(typical.audits)
  .filter((audit) => audit.score !== null && audit.score < 0.9 &&
    !['informative', 'manual', 'notApplicable'].includes(audit.scoreDisplayMode))
  .map((audit) => audit.id);
console.log(`${theme.padEnd(8)} ${page.padEnd(13)} ${scores.map((s) => String(s).padStart(5)).join(' ')}` +
  (below.length ? `   below 0.9: ${below.join(', ')}` : ''));
