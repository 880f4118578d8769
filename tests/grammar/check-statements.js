// Parses every statement the module sends under dialect 0 with node-sql-parser's Transact-SQL
// grammar, which nobody here wrote. Each must be exactly one statement; one that is not names
// itself and fails the test.
//   node check-statements.js PRINTER   (PRINTER writes the statements as JSON)
'use strict';
const { execFileSync } = require('child_process');

let Parser;
try {
    ({ Parser } = require('node-sql-parser/build/transactsql'));
} catch (error) {
    console.error('node-sql-parser is not installed beside this script: run scripts/setup');
    process.exit(1);
}

const output = execFileSync(process.argv[2], { encoding: 'utf8', maxBuffer: 64 << 20 });
const statements = JSON.parse(output);
const parser = new Parser();
let failed = 0;
for (const { name, sql } of statements) {
    try {
        const ast = parser.astify(sql, { database: 'transactsql' });
        if (Array.isArray(ast) && ast.length !== 1)
            throw new Error(`${ast.length} statements, not one`);
    } catch (error) {
        ++failed;
        console.log(`FAIL ${name}: ${String(error.message).split('\n')[0].slice(0, 300)}`);
        console.log(`     ${sql.slice(0, 400)}`);
    }
}
console.log(`${statements.length - failed} passed, ${failed} failed`);
process.exit(failed === 0 && statements.length > 0 ? 0 : 1);
