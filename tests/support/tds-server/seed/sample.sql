-- sample: a small shop with identity keys, a foreign key, a view, a function and stored
-- procedures in dbo; and, as real databases keep most of their objects outside dbo, the schemas
-- Person and Sales, with a Customer table in both dbo and Sales.
create table customers (
    id int identity(1,1) primary key,
    name nvarchar(40) not null,
    city nvarchar(30),
    joined datetime,
    credit decimal(12,2)
);
insert into customers (name, city, joined, credit) values
    ('Ada Lovelace', 'London', '2021-03-04 10:15:00.000', 1500.50),
    ('Blaise Pascal', 'Paris', '2022-11-30 08:00:00.000', 250.00),
    (N'Zoë Ørsted', N'København', '2023-06-01 17:45:30.500', 0.75);

create table products (
    id int identity(1,1) primary key,
    code char(8) not null,
    title varchar(60) not null,
    price money,
    weight float,
    stock smallint,
    active bit
);
insert into products (code, title, price, weight, stock, active) values
    ('LAMP-001', 'Desk lamp', 24.99, 1.25, 40, 1),
    ('CHAIR-02', 'Office chair', 149.00, 12.5, 7, 1),
    ('MUG-0003', 'Mug', 4.5, 0.3, 0, 0);

create table orders (
    id int identity(1,1) primary key,
    customer_id int not null references customers (id),
    product_id int not null references products (id),
    quantity tinyint not null,
    ordered datetime2(3),
    shipped date,
    reference uniqueidentifier
);
insert into orders (customer_id, product_id, quantity, ordered, shipped, reference) values
    (1, 1, 2, '2024-01-10 09:30:00.125', '2024-01-12', '6F9619FF-8B86-D011-B42D-00C04FC964FF'),
    (1, 3, 6, '2024-02-01 14:00:00.000', null, '0E984725-C51C-4BF4-9960-E1C80E27ABA0'),
    (2, 2, 1, '2024-02-15 11:11:11.111', '2024-02-20', 'B1E4C8D2-3F5A-4A6B-9C7D-8E9F0A1B2C3D');

-- A table of numbers, long enough for the drop mode to cut it off.
create table numbers (n int not null primary key);
with digits (d) as (select 0 union all select 1 union all select 2 union all select 3 union all
    select 4 union all select 5 union all select 6 union all select 7 union all select 8 union all
    select 9)
insert into numbers select a.d * 100 + b.d * 10 + c.d + 1
    from digits a cross join digits b cross join digits c;
GO
create view customer_totals as
    select c.name, count(o.id) as orders, sum(o.quantity * p.price) as total
    from customers c
    left join orders o on o.customer_id = c.id
    left join products p on p.id = o.product_id
    group by c.name;
GO
create procedure customer_orders @customer_id int, @since datetime = null
as
select o.id, p.title, o.quantity, o.ordered
from orders o join products p on p.id = o.product_id
where o.customer_id = @customer_id and (@since is null or o.ordered >= @since)
order by o.id;
GO
create procedure add_customer
    @name nvarchar(40),
    @city nvarchar(30) = null,
    @credit decimal(12,2) = 0,
    @new_id int output
as
begin
    insert into customers (name, city, credit) values (@name, @city, @credit);
    select scope_identity() as new_id;
end
GO
create procedure product_count as
select count(*) as products from products;
GO
create function dbo.full_name (@first nvarchar(50), @last nvarchar(50))
returns nvarchar(101)
as
begin
    return concat(@first, ' ', @last)
end
GO
create schema Person
GO
create schema Sales
GO
create table Person.Person (
    BusinessEntityID int identity(1,1) primary key,
    FirstName nvarchar(50) not null,
    LastName nvarchar(50) not null
);
insert into Person.Person (FirstName, LastName) values
    ('Ken', N'Sánchez'), ('Terri', 'Duffy'), ('Rob', 'Walters');

create table Sales.Customer (
    CustomerID int identity(1,1) primary key,
    PersonID int null references Person.Person (BusinessEntityID),
    AccountNumber varchar(10) not null
);
insert into Sales.Customer (PersonID, AccountNumber) values
    (1, 'AW00000001'), (2, 'AW00000002'), (null, 'AW00000003'), (3, 'AW00000004');

-- dbo's Customer, not Sales's: other columns, other rows.
create table dbo.Customer (
    CustomerID int identity(1,1) primary key,
    Name nvarchar(50) not null
);
insert into dbo.Customer (Name) values ('Walk-in customer');

create table Sales.SalesOrder (
    SalesOrderID int identity(1,1) primary key,
    CustomerID int not null references Sales.Customer (CustomerID),
    OrderDate datetime not null,
    TotalDue money not null
);
insert into Sales.SalesOrder (CustomerID, OrderDate, TotalDue) values
    (1, '2024-03-01 10:00:00.000', 120.50), (1, '2024-03-05 16:30:00.000', 35.00),
    (4, '2024-04-11 09:15:00.000', 990.99);
GO
create view Sales.vCustomer as
    select c.CustomerID, c.AccountNumber, concat(p.FirstName, ' ', p.LastName) as Name
    from Sales.Customer c left join Person.Person p on p.BusinessEntityID = c.PersonID;
GO
create procedure Sales.CustomerOrders @CustomerID int
as
select SalesOrderID, OrderDate, TotalDue from Sales.SalesOrder
where CustomerID = @CustomerID
order by SalesOrderID;
