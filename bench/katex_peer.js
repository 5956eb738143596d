// The peer of the math-box benchmark: renders the formulas of a file (one LaTeX formula a
// line) to strings with KaTeX, once to warm up and then the given number of timed passes, and
// prints each pass's time in seconds, one a line. Errors in a formula count as a failure.
'use strict';
const fs = require('fs');
const path = require('path');
const [katexDir, file, passesText] = process.argv.slice(2);
const katex = require(path.join(katexDir, 'node_modules', 'katex'));
const formulas = fs.readFileSync(file, 'latin1').split('\n').filter((line) => line.length > 0);
const passes = Number(passesText);
let length = 0;
const pass = () => {
  for (const formula of formulas) length += katex.renderToString(formula, {throwOnError: true}).length;
};
pass();
for (let i = 0; i < passes; ++i) {
  const start = process.hrtime.bigint();
  pass();
  console.log(Number(process.hrtime.bigint() - start) / 1e9);
}
if (length === 0) process.exit(1);
